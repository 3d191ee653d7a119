// One step of a space's world with the physics engine guarded: collide
// the space, step the world, empty the contact group. An internal error of
// the engine in any of them is caught here and kept; the caller ends the
// match in that world (engine_fault_end.h) and steps nothing more of it.
#pragma once
#include <ode/ode.h>
#include "app/base/engine_guard.h"

// Where the last fault came from.
enum EngineFaultPlace {
    ENGINE_FAULT_NONE,
    ENGINE_FAULT_COLLISION,     // in the near callback: the pass ended, the space is whole
    ENGINE_FAULT_SPACE,         // out of the space's own collision: the space stays locked
    ENGINE_FAULT_STEP,          // in the world step
};

struct EngineFaultRecord {
    int place;                  // EngineFaultPlace
    int ghost;                  // 1 in the ghost preview's space
    EngineFault fault;
};

// 0 when the step ran; 1 when the engine failed (the fault is kept).
int engine_step_space(dSpaceID space, int ghost);
const EngineFaultRecord *last_engine_fault(void);
// The fault is dealt with: the world it left is gone.
void clear_engine_fault(void);

// The collision pass's side: a fault caught in the near callback ends the
// pass (later pairs are skipped) and is raised again once the space's
// collision has returned. Each pass begins without one.
void begin_collision_pass(void);
void note_collision_fault(const EngineFault &f);
int collision_failed(void);
// A fault that left the space's collision itself.
void note_space_fault(void);

// Tests: the next guarded step fails as the engine fails, deterministically.
// STEP: a moving body of the stepped space gets an angular velocity that is
// not a number, and the engine's own check of the body's rotation fails
// inside the world step; GHOST_STEP the same in the next step of the ghost
// preview. COLLISION: the near callback's first pair reports an internal
// error through the engine (dDebug). SPACE: the same, raised past the near
// callback's catch, out of the space's collision.
enum EngineTestFault {
    ENGINE_TEST_NONE,
    ENGINE_TEST_STEP,
    ENGINE_TEST_GHOST_STEP,
    ENGINE_TEST_COLLISION,
    ENGINE_TEST_SPACE,
};
void engine_fail_next_step_for_test(int kind);
// The near callback's check of the test fault: the kind armed for the
// collision, taken (once).
int take_collision_test_fault(void);
