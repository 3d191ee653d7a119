#include <cmath>
#include <cstring>
#include <set>
#include <utility>
#include <vector>
#include "game/blood.h"
#include "game/collision.h"
#include "game/world_physics.h"
#include "game/body_defs.h"
#include "game/body_template.h"
#include "game/joints.h"
#include "game/mod_world.h"
#include "game/stance.h"
#include "world_fixture.h"

// Total mass from the body table alone, with ODE's formulas.
static double table_mass(const BodyDef *rows)
{
    double total = 0;
    for (int b = 0; b < 21; b++) {
        const BodyDef &r = rows[b];
        const double rho = r.density;
        switch (r.shape) {
        case SHAPE_SPHERE: total += rho * 4.0 / 3.0 * M_PI * std::pow((double)r.sides[0], 3); break;
        case SHAPE_BOX: total += rho * (double)r.sides[0] * r.sides[1] * r.sides[2]; break;
        case SHAPE_CAPSULE: {
            const double rad = r.sides[0], len = r.sides[1];
            total += rho * (M_PI * rad * rad * len + 4.0 / 3.0 * M_PI * rad * rad * rad);
            break;
        }
        }
    }
    return total;
}

TEST_F(WorldTest, TotalMassEqualsTableSumByOdeFormulas)
{
    const double expected = table_mass(builtin_body_table());
    for (int i = 0; i < 4; i++)
        EXPECT_NEAR(get_player(i)->total_mass, expected, 1e-9) << "record " << i;
    EXPECT_GT(expected, 0.05);
}

TEST_F(WorldTest, CategoriesAndCollideBitsFollowTheScheme)
{
    for (int i = 0; i < 4; i++) {
        Player *p = get_player(i);
        const bool ghost = i >= 2;
        const int own = ghost ? (256 << (i - 2)) : (1 << i);
        const int collide = ghost ? (i == 2 ? 4640 : 4384) : (i == 0 ? 50 : 49);
        for (int b = 0; b < 21; b++) {
            const bool end = b == 11 || b == 12 || b == 19 || b == 20;
            const bool floor = b == 0 || b == 11 || b == 12 || b == 19 || b == 20;
            EXPECT_EQ(dGeomGetCategoryBits(p->body_geoms[b]), (unsigned long)(end ? own | collide : own)) << i << " " << b;
            EXPECT_EQ(dGeomGetCollideBits(p->body_geoms[b]), (unsigned long)(floor ? collide | 128 : collide)) << i << " " << b;
        }
        for (int j = 0; j < 20; j++) {
            EXPECT_EQ(dGeomGetCategoryBits(p->joint_geoms[j]), (unsigned long)own);
            EXPECT_EQ(dGeomGetCollideBits(p->joint_geoms[j]), (unsigned long)(collide | 128));
        }
    }
    EXPECT_EQ(dGeomGetCategoryBits(get_floor_geom()), 128ul);
    EXPECT_EQ(dGeomGetCollideBits(get_floor_geom()), 0ul);
    EXPECT_EQ(dGeomGetCategoryBits(get_blood_drop(0)->geom), 64ul);
    EXPECT_EQ(dGeomGetCollideBits(get_blood_drop(0)->geom), 128ul);
    for (int k = 0; k < 14; k++)
        EXPECT_EQ(category_bits(k), k == 0 ? 0 : 1 << (k - 1));
}

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

TEST_F(WorldTest, GhostsAreBuiltSwitchedOff)
{
    for (int i = 2; i < 4; i++) {
        Player *g = get_player(i);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->hidden, 1);
        for (int b = 0; b < 21; b++) {
            EXPECT_FALSE(dBodyIsEnabled(g->bodies[b]));
            EXPECT_FALSE(dGeomIsEnabled(g->body_geoms[b]));
        }
        EXPECT_EQ(dGeomGetSpace(g->body_geoms[0]), get_game_globals()->ghost_space);
        EXPECT_STREQ(g->name, get_player(i - 2)->name);
    }
    EXPECT_STREQ(get_player(0)->name, "vako");
    EXPECT_STREQ(get_player(1)->name, "zud");
    EXPECT_STREQ(get_player(1)->short_name, "zud");
    EXPECT_STREQ(get_player(3)->short_name, "zud");
    EXPECT_EQ(get_player(0)->colour, 3);
    EXPECT_EQ(get_player(1)->colour, 5);
    EXPECT_EQ(get_first_ghost(), get_player(2));
    EXPECT_EQ(get_player(-1), nullptr);
    EXPECT_EQ(get_player(4), nullptr);
    EXPECT_EQ(get_player(1000), nullptr);
}

TEST_F(WorldTest, StartingPoseIsStoredAsInit)
{
    EXPECT_STREQ(get_stance_slot(0)->name, "INIT");
    EXPECT_EQ(get_stance_slot(1)->name[0], '\0');
    EXPECT_NEAR(get_stance_slot(0)->pos[HEAD][2], 2.6, 1e-6);
}

TEST_F(WorldTest, HingesJoinBuiltInPairsWhateverTheTableSays)
{
    JointDef *rows = get_default_joint_table();
    rows[NECK].body[0] = 5;
    rows[NECK].body[1] = 6;
    ASSERT_EQ(init_world(get_default_mod_world()), 0);
    Player *p = get_player(0);
    EXPECT_EQ(dJointGetBody(p->hinges[NECK], 0), p->bodies[BREAST]);
    EXPECT_EQ(dJointGetBody(p->hinges[NECK], 1), p->bodies[HEAD]);
}

TEST_F(WorldTest, WorldForcesNegateYForOddRecords)
{
    BodyDef *rows = get_default_body_table();
    rows[STOMACH].force[0] = 1;
    rows[STOMACH].force[1] = 2;
    rows[STOMACH].force[2] = 3;
    apply_world_forces();
    const dReal *f0 = dBodyGetForce(get_player(0)->bodies[STOMACH]);
    const dReal *f1 = dBodyGetForce(get_player(1)->bodies[STOMACH]);
    EXPECT_DOUBLE_EQ(f0[1], 2);
    EXPECT_DOUBLE_EQ(f1[1], -2);
    EXPECT_DOUBLE_EQ(f1[2], 3);
    const dReal *none = dBodyGetForce(get_player(0)->bodies[CHEST]);
    EXPECT_EQ(none[0], 0);
    EXPECT_EQ(none[1], 0);
    EXPECT_EQ(none[2], 0);
    dVector3 g;
    dWorldGetGravity(get_game_globals()->world, g);
    EXPECT_NEAR(g[2], -9.81, 1e-6);
}

TEST_F(WorldTest, BadTableValuesAreRefusedAndDefaultsKept)
{
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
    EXPECT_NEAR(get_player(0)->total_mass, table_mass(builtin_body_table()), 1e-9);
    for (int k = 0; k < 10; k++)
        world_physics_step();
}

// Bodies thrown beyond the collision space's reach, or with a place or speed
// that is not finite, are brought back before the next collision instead of
// aborting the engine.
TEST_F(WorldTest, BodiesOutsideTheWorldAreBroughtBack)
{
    const double nan = std::nan("");
    dBodySetPosition(get_player(0)->bodies[0], 1e30, 0, 1);
    dBodySetPosition(get_player(1)->bodies[3], 0, -1e30, nan);
    dBodySetLinearVel(get_player(0)->bodies[5], nan, 0, 0);
    dBodySetAngularVel(get_player(1)->bodies[7], 0, 0, -nan);
    for (int k = 0; k < 5; k++)
        world_physics_step();
    for (int i = 0; i < 2; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            const dReal *p = body_pos(i, b);
            for (int c = 0; c < 3; c++)
                ASSERT_TRUE(std::fabs(p[c]) <= WORLD_POSITION_LIMIT) << i << " " << b << " " << p[c];
            const dReal *q = dBodyGetQuaternion(get_player(i)->bodies[b]);
            ASSERT_TRUE(std::isfinite(p[0] + p[1] + p[2] + q[0] + q[1] + q[2] + q[3]));
        }
    EXPECT_EQ(keep_bodies_in_world(get_game_globals()->space), 0);
}

TEST_F(WorldTest, DestroyAndRebuildHundredTimes)
{
    for (int k = 0; k < 100; k++) {
        destroy_world();
        EXPECT_EQ(get_player(0), nullptr);
        EXPECT_EQ(get_game_globals()->world, nullptr);
        ASSERT_EQ(init_world(get_default_mod_world()), 0);
        world_physics_step();
    }
    EXPECT_NE(get_player(3), nullptr);
    EXPECT_EQ(get_game_globals()->built_players, 4);
}

TEST_F(WorldTest, ResetFightersRestoresHandsStopsAndGrips)
{
    Player *p = get_player(0);
    get_game_state()->frozen = 1;
    set_grip(0, L_HAND, GRIP_ON);
    apply_pending_wishes();
    dVector3 s;
    dGeomBoxGetLengths(p->body_geoms[L_HAND], s);
    EXPECT_NEAR(s[0], 0.3, 1e-6);
    p->injury = 50;
    p->score = 7;
    p->joints[R_KNEE].broken = JOINT_DISMEMBERED;
    dJointAttach(p->hinges[R_KNEE], nullptr, nullptr);
    dJointSetHingeParam(p->hinges[R_KNEE], dParamLoStop, -1.8);
    p->grip_joints[L_HAND] = dJointCreateHinge(get_game_globals()->world, nullptr);
    reset_fighters();
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

TEST_F(WorldTest, MoveAndTurnPlayer)
{
    EXPECT_EQ(move_player(5, 0, 0, 0), 1);
    ASSERT_EQ(move_player(0, 3, 4, 2.6), 0);
    EXPECT_NEAR(body_pos(0, HEAD)[0], 3, 1e-9);
    const double foot_x = body_pos(0, R_FOOT)[0];
    const double head_x = body_pos(0, HEAD)[0];
    ASSERT_EQ(turn_player(0, 180), 0);
    EXPECT_NEAR(body_pos(0, R_FOOT)[0] - body_pos(0, HEAD)[0], -(foot_x - head_x), 1e-9);
    EXPECT_NEAR(body_pos(0, HEAD)[0], 3, 1e-9);
    const double rx = body_pos(0, R_HAND)[0];
    ASSERT_EQ(turn_player_mirrored(0, 180), 0);
    EXPECT_NEAR(body_pos(0, HEAD)[0], 3, 1e-9);
    // Negating x and y is itself a half turn: the hand swings to the other side.
    EXPECT_NEAR(body_pos(0, R_HAND)[0] - 3, -(rx - 3), 1e-9);
}

TEST(NameTables, EdgesAndLookups)
{
    EXPECT_STREQ(body_name(21), "BODYPARTS");
    EXPECT_STREQ(body_name(22), "NONE");
    EXPECT_STREQ(body_name(-1), "NONE");
    EXPECT_STREQ(body_name(17), "L_LEG");
    EXPECT_STREQ(joint_id_name(20), "JOINTS");
    EXPECT_STREQ(joint_id_name(-3), "NONE");
    EXPECT_STREQ(motor_state_name(5), "NO_SUCH_MOTOR_STATE");
    EXPECT_STREQ(motor_state_name(-1), "NO_SUCH_MOTOR_STATE");
    EXPECT_STREQ(body_or_joint_name(-1), "GROUND");
    EXPECT_STREQ(body_or_joint_name(21), "BODYPARTS");
    EXPECT_STREQ(body_or_joint_name(22), "SPLEX");
    EXPECT_EQ(selected_joint_of_body(17), 17);
    EXPECT_EQ(selected_joint_of_body(18), 16);
    testing::internal::CaptureStderr();
    EXPECT_EQ(selected_joint_of_body(21), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "selected_body missing joint for body nr 21\n");
    EXPECT_EQ(joint_order_map(19), 20);
    EXPECT_EQ(joint_order_map(20), -1);
    EXPECT_EQ(part_weight(0), 100);
    EXPECT_EQ(part_weight(21 + R_KNEE), 0);
    EXPECT_EQ(part_weight(21 + L_ANCHOR), 10);
    EXPECT_EQ(part_weight(21 + NECK), 40);
}

TEST_F(WorldTest, PlayerNamesAndSelection)
{
    EXPECT_EQ(set_player_name(0, "vako"), 1);
    EXPECT_EQ(set_player_name(0, "[KX]fighter"), 0);
    EXPECT_STREQ(get_player(0)->short_name, "fighter");
    EXPECT_EQ(set_player_name(0, "[KX]fighter"), 1);
    EXPECT_EQ(set_player_name(0, "a very long name that does not fit in thirty-one"), 0);
    EXPECT_EQ(strlen(get_player(0)->name), 31u);
    EXPECT_EQ(set_player_selection(0, 22), 1);
    EXPECT_EQ(set_player_selection(-1, 2), 1);
    EXPECT_EQ(set_player_selection(1, 21), 0);
    EXPECT_EQ(parse_grip_pair(0, "1 2"), 0);
    EXPECT_EQ(get_player(0)->grip_wish[GRIP_LEFT], 1);
    EXPECT_EQ(parse_grip_pair(0, "3 0"), 1);
    EXPECT_EQ(get_player(0)->grip_wish[GRIP_LEFT], 1);
}

TEST(BodyTemplate, UnitScaleLowersYAndWidensRightArm)
{
    BodyDef bodies[21];
    JointDef joints[20];
    scale_body_template(bodies, joints, 1, 1, 1);
    const BodyDef *tb = builtin_body_table();
    for (int b = 0; b < 21; b++) {
        EXPECT_FLOAT_EQ(bodies[b].pos[1], tb[b].pos[1] - 1);
        EXPECT_FLOAT_EQ(bodies[b].pos[0], tb[b].pos[0]);
        const float f = (b == 6 || b == 7) ? 1.6f : 1.0f;
        EXPECT_FLOAT_EQ(bodies[b].sides[0], tb[b].sides[0] * f) << b;
    }
    scale_body_template(bodies, joints, 1, 1, 2);
    const JointDef *tj = builtin_joint_table();
    EXPECT_FLOAT_EQ(joints[R_WRIST].pos[0], 0.65f + (tj[R_WRIST].pos[0] - 0.65f) * 2);
    EXPECT_FLOAT_EQ(joints[R_WRIST].pos[2], tj[R_WRIST].pos[2] * 2);
    // Capsule: length so that the whole capsule scales by c.
    scale_body_template(bodies, joints, 1, 1, 0.5f);
    EXPECT_FLOAT_EQ(bodies[R_THIGH].sides[1], (2 * 0.12f + 0.3f) * 0.5f - 2 * 0.12f);
    scale_body_template(bodies, joints, 2, 1, 0.1f);
    EXPECT_FLOAT_EQ(bodies[R_THIGH].sides[1], 0.01f);
    EXPECT_FLOAT_EQ(bodies[R_THIGH].sides[0], 0.24f);
}

TEST(ModWorldRecord, ResetForANewLoad)
{
    ModWorld m;
    mod_world_reset(&m);
    for (const EnvObject &o : m.env_objects) {
        EXPECT_EQ(o.defined, 0);
        EXPECT_EQ(o.shape, SHAPE_BOX);
        EXPECT_EQ(o.sides[1], 0.5);
        EXPECT_EQ(o.mass, 0.1);
        EXPECT_EQ(o.color[1], 1.0f);
        EXPECT_EQ(o.color[0], 0.0f);
        EXPECT_EQ(o.visible, 1u);
        EXPECT_EQ(o.material, 1u);
        EXPECT_EQ(o.pos[2], 0.25);
    }
    for (const EnvObjectJoint &j : m.env_joints) {
        EXPECT_EQ(j.active, 0u);
        EXPECT_EQ(j.strength, 0.0f);
    }
    EXPECT_EQ(m.friction, 10000.0f);
    EXPECT_EQ(m.colors[0][0], 1.0f);
    EXPECT_EQ(m.colors[19][2], 1.0f);
    EXPECT_GT(m.colors[20][0], m.colors[20][2]);
}
