#include "game/engine_step.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include "game/collision.h"
#include "game/game_state.h"
#include "game/world_options.h"

static EngineFaultRecord g_fault;
static EngineFault g_collision_fault;
static int g_collision_failed;
static int g_space_failed;
static int g_test_fault;

const EngineFaultRecord *last_engine_fault(void) { return g_fault.place != ENGINE_FAULT_NONE ? &g_fault : nullptr; }

void clear_engine_fault(void) { g_fault.place = ENGINE_FAULT_NONE; }

void begin_collision_pass(void)
{
    g_collision_failed = 0;
    g_space_failed = 0;
}

void note_collision_fault(const EngineFault &f)
{
    if (!g_collision_failed)
        g_collision_fault = f;
    g_collision_failed = 1;
}

int collision_failed(void) { return g_collision_failed; }

void note_space_fault(void) { g_space_failed = 1; }

void engine_fail_next_step_for_test(int kind) { g_test_fault = kind; }

int take_collision_test_fault(void)
{
    if (g_test_fault != ENGINE_TEST_COLLISION && g_test_fault != ENGINE_TEST_SPACE)
        return ENGINE_TEST_NONE;
    const int kind = g_test_fault;
    g_test_fault = ENGINE_TEST_NONE;
    return kind;
}

// The test fault of the world step: a rotation the step cannot normalise.
static void spoil_a_body(dSpaceID space)
{
    for (int i = 0; i < dSpaceGetNumGeoms(space); i++) {
        dBodyID b = dGeomGetBody(dSpaceGetGeom(space, i));
        if (b && dBodyIsEnabled(b)) {
            dBodySetAngularVel(b, NAN, 0, 0);
            return;
        }
    }
}

int engine_step_space(dSpaceID space, int ghost)
{
    GameGlobals *g = get_game_globals();
    if (!g->world || !space)
        return 0;
    begin_collision_pass();
    int place = ENGINE_FAULT_COLLISION;
    try {
        EngineGuardScope guard;
        collide_space(space);
        if (g_collision_failed)
            throw g_collision_fault;
        place = ENGINE_FAULT_STEP;
        if (g_test_fault == ENGINE_TEST_STEP || (g_test_fault == ENGINE_TEST_GHOST_STEP && ghost)) {
            g_test_fault = ENGINE_TEST_NONE;
            spoil_a_body(space);
        }
        dWorldStep(g->world, get_world_options()->stepsize);
        dJointGroupEmpty(g->contact_group);
        return 0;
    } catch (const EngineFault &f) {
        g_fault.place = g_space_failed ? ENGINE_FAULT_SPACE : place;
        g_fault.ghost = ghost;
        g_fault.fault = f;
        return 1;
    }
}
