#include <cmath>
#include <cstring>
#include <vector>
#include "app/base/alloc_hooks.h"
#include "game/collision.h"
#include "game/body_defs.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/mod_world.h"
#include "game/world_physics.h"
#include "world_fixture.h"

struct Pair { int kind_a, id_a, kind_b, id_b; };

static void collect_pairs(void *data, dGeomID a, dGeomID b)
{
    auto *out = static_cast<std::vector<Pair> *>(data);
    const GeomRecord *ra = static_cast<GeomRecord *>(dGeomGetData(a));
    const GeomRecord *rb = static_cast<GeomRecord *>(dGeomGetData(b));
    dContactGeom c[4];
    if (ra && rb && dCollide(a, b, 4, c, sizeof c[0]) > 0)
        out->push_back({ra->kind, ra->body_id, rb->kind, rb->body_id});
}

TEST_F(WorldTest, ChestNeverTouchesGroundWhileItsJointSpheresDo)
{
    // Sink fighter 0 until its chest box is half in the floor.
    const dReal *chest = body_pos(0, CHEST);
    const dReal *head = body_pos(0, HEAD);
    move_player(0, head[0], head[1], head[2] - chest[2]);
    std::vector<Pair> pairs;
    dSpaceCollide(get_game_globals()->space, &pairs, collect_pairs);
    bool chest_floor = false, sphere_floor = false;
    for (const Pair &p : pairs) {
        const bool floor_a = p.kind_a == GEOM_FLOOR, floor_b = p.kind_b == GEOM_FLOOR;
        if (!floor_a && !floor_b)
            continue;
        const int kind = floor_a ? p.kind_b : p.kind_a;
        const int id = floor_a ? p.id_b : p.id_a;
        if (kind == GEOM_BODY && id == CHEST)
            chest_floor = true;
        if (kind == GEOM_JOINT && (id == 21 + SPLEX || id == 21 + LUMBAR))
            sphere_floor = true;
    }
    EXPECT_FALSE(chest_floor);
    EXPECT_TRUE(sphere_floor);
}

TEST_F(WorldTest, BadTableValuesAreRefusedAndDefaultsKept)
{
    const double mass = get_player(0)->total_mass;
    BodyDef *rows = get_default_body_table();
    rows[CHEST].density = 0;
    rows[HEAD].sides[0] = -0.2f;
    rows[STOMACH].shape = 7;
    rows[R_THIGH].density = -1;
    get_default_joint_table()[NECK].radius = 0;
    testing::internal::CaptureStderr();
    ASSERT_EQ(init_world(get_default_mod_world()), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("density"), std::string::npos);
    EXPECT_NE(err.find("unknown shape"), std::string::npos);
    EXPECT_FLOAT_EQ(rows[CHEST].density, 0.25f);
    EXPECT_FLOAT_EQ(rows[HEAD].sides[0], 0.2f);
    EXPECT_EQ(rows[STOMACH].shape, SHAPE_BOX);
    EXPECT_FLOAT_EQ(get_default_joint_table()[NECK].radius, 0.11f);
    EXPECT_NEAR(get_player(0)->total_mass, mass, 1e-9);
    for (int k = 0; k < 10; k++)
        world_physics_step();
}

TEST_F(WorldTest, ResetFightersRestoresHandsStopsAndGrips)
{
    Player *p = get_player(0);
    const unsigned long bits = dGeomGetCollideBits(p->body_geoms[R_LEG]);
    get_game_state()->frozen = 1;
    set_grip(0, L_HAND, GRIP_ON);
    apply_pending_wishes();
    dVector3 s;
    dGeomBoxGetLengths(p->body_geoms[L_HAND], s);
    EXPECT_NEAR(s[0], 0.3, 1e-6);
    p->injury = 50;
    p->score = 7;
    break_joint(0, R_KNEE, JOINT_DISMEMBERED);
    break_joint(0, L_KNEE, JOINT_FRACTURED);
    p->grip_joints[L_HAND] = dJointCreateHinge(get_game_globals()->world, nullptr);
    reset_fighters();
    EXPECT_EQ(p->broken_joints, 0);
    EXPECT_EQ(dGeomGetCollideBits(p->body_geoms[R_LEG]), bits);
    EXPECT_DOUBLE_EQ(dJointGetHingeParam(p->hinges[L_KNEE], dParamLoStop), p->joints[L_KNEE].lo_stop);
    dGeomBoxGetLengths(p->body_geoms[L_HAND], s);
    EXPECT_NEAR(s[0], 0.22, 1e-6);
    EXPECT_EQ(p->grip_joints[L_HAND], nullptr);
    EXPECT_EQ(p->injury, 0);
    EXPECT_EQ(p->score, 0);
    EXPECT_EQ(p->joints[R_KNEE].broken, JOINT_INTACT);
    EXPECT_EQ(dJointGetBody(p->hinges[R_KNEE], 0), p->bodies[R_LEG]);
    EXPECT_NEAR(dJointGetHingeParam(p->hinges[R_KNEE], dParamLoStop), 0.0, 1e-9);
    EXPECT_NEAR(dJointGetHingeParam(p->hinges[R_KNEE], dParamHiStop), 2.3, 1e-6);
}

// The world builder hands the engine our allocation functions and printers:
// a message is printed and play goes on; an error is printed before the
// engine ends the program.
TEST_F(WorldTest, EngineMemoryAndMessagesGoThroughOurHandlers)
{
    const uint32_t allocs = get_alloc_counters().allocs;
    dBodyDestroy(dBodyCreate(get_game_globals()->world));
    EXPECT_GT(get_alloc_counters().allocs, allocs);

    testing::internal::CaptureStderr();
    dMessage(3, "odd value %d", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Physics engine message 3: odd value 7\n");
    for (int k = 0; k < 5; k++)
        world_physics_step();

    EXPECT_EXIT(dError(2, "bad %s", "thing"), testing::ExitedWithCode(1), "Physics engine error 2: bad thing");
}
