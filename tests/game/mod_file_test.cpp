#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "game/body_defs.h"
#include "game/collision.h"
#include "game/env_objects.h"
#include "game/mod_export.h"
#include "game/mod_statements.h"
#include "game/world_physics.h"
#include "mod_test_util.h"

// A mod that uses every one of the 36 statements.
static const char k_every_statement[] =
    "# every statement at least once\r\n"
    "version 3\r\n"
    "message a test world\r\n"
    "world\r\n   color 0.5 0.6 0.7\r\n"
    "gravity 0 0 -5\r\n"
    "friction 500\r\n"
    "blood\r\n   color 1 0 0\r\n"
    "hold\r\n   color 1 1 0\r\n"
    "hold_active\r\n   color 1 1 1\r\n"
    "relax\r\n   color 0 0 1\r\n"
    "relax_active\r\n   color 0 1 1\r\n"
    "body head\r\n   shape box\r\n   sides 0.3 0.25 0.2\r\n   pos 1 0.85 2.7\r\n   rot 90 0 0\r\n"
    "   density 0.5\r\n   force 0 0 1\r\n   thrust 10 0 0 2\r\n   material steel\r\n   flag 2\r\n"
    "   color 0.1 0.2 0.3\r\n   friction 600\r\n"
    "body r_hand\r\n   alt_sides 0.35 0.12 0.18\r\n   radius 0.15\r\n"
    "joint neck\r\n   radius 0.13\r\n   pos 1 0.9 2.52\r\n   axis 0 1 0\r\n   range 0.8 -0.4\r\n"
    "   strength 2\r\n   velocity 30\r\n   dm_threshold 50\r\n   material steel\r\n   flag 1\r\n"
    "   color 0.4 0.4 0.4\r\n"
    "player 1\r\n"
    "body head\r\n   radius 0.3\r\n"
    "joint l_axilla\r\n   strength 5\r\n"
    "env_obj 1\r\n   shape box\r\n   sides 1 1 0.2\r\n   pos 0 3 0.1\r\n   mass 2\r\n   color 1 0 0 0.5\r\n"
    "   visible 1\r\n   rot 0 0 45\r\n   material flesh\r\n   flag 8\r\n   friction 50\r\n   bounce 0.3\r\n"
    "env_obj 2\r\n   shape sphere\r\n   sides 0.2\r\n   pos 2 2 1\r\n   mass 0.5\r\n   force 0 0 1\r\n"
    "   thrust 5 1 0 0\r\n"
    "env_obj 3\r\n   shape cylinder\r\n   sides 0.1 0.5\r\n   pos 3 3 1\r\n   mass 0.5\r\n"
    "env_obj_joint 1 2 3\r\n   pos 2.5 2.5 1\r\n   axis 1 0 0\r\n   range 0.5 -0.5\r\n   strength 10\r\n"
    "   velocity 3\r\n   visible 0\r\n"
    "gamerule\r\n   matchframes 1200\r\n   turnframes 20\r\n";

static void expect_box(dGeomID g, double x, double y, double z)
{
    ASSERT_EQ(dGeomGetClass(g), dBoxClass);
    dVector3 len;
    dGeomBoxGetLengths(g, len);
    EXPECT_NEAR(len[0], x, 1e-6);
    EXPECT_NEAR(len[1], y, 1e-6);
    EXPECT_NEAR(len[2], z, 1e-6);
}

static void expect_rotation(const dReal *R, double a, double b, double c)
{
    dMatrix3 E;
    dRFromEulerAngles(E, a, b, c);
    for (int k = 0; k < 12; k++)
        EXPECT_NEAR(R[k], E[k], 1e-6) << k;
}

static double body_mass(dBodyID b)
{
    dMass mass;
    dBodyGetMass(b, &mass);
    return mass.mass;
}

TEST_F(ModTest, EveryStatementLoadsTheWorldItDescribes)
{
    write_mod("every.kxm", k_every_statement);
    testing::internal::CaptureStderr();
    ASSERT_EQ(load_mod("every.kxm"), 0);
    ModWorld *m = build_mod_world();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "") << err;
    ASSERT_NE(m, nullptr);

    // The record and the rules.
    EXPECT_EQ(m->version, 3);
    EXPECT_STREQ(m->message, "a test world");
    EXPECT_FLOAT_EQ(m->friction, 600.0f);   // `friction` in a body block is the world's
    for (int i = 0; i < 20; i++)
        EXPECT_FLOAT_EQ(m->colors[i][1], 0.6f);
    EXPECT_FLOAT_EQ(m->colors[20][0], builtin_world_colors()[20][0]);
    EXPECT_EQ(m->object_surface, 1u);
    const MatchRules *mr = get_mod_rules();
    EXPECT_FLOAT_EQ(mr->gravity[2], -5.0f);
    EXPECT_EQ(mr->matchframes, 1200);
    EXPECT_EQ(mr->turnframe_list[0], 20);
    EXPECT_STREQ(mr->mod, "every.kxm");
    // Head and neck of player 0: flag, material, thrust period; threshold,
    // material, flag; player 1's neck keeps the threshold of the rules.
    const BodyDef &head = m->body_tables[0][HEAD];
    const JointDef &neck = m->joint_tables[0][NECK];
    EXPECT_EQ(std::vector<int>({head.flag, head.material, head.thrust_period, neck.dm_threshold, neck.material,
                                neck.flag, m->joint_tables[1][NECK].dm_threshold}),
              std::vector<int>({2, 1, 10, 50, 1, 1, -1}));
    EXPECT_FLOAT_EQ(head.color[2], 0.3f);
    EXPECT_FLOAT_EQ(m->body_tables[0][R_HAND].alt_sides[0], 0.35f);
    EXPECT_FLOAT_EQ(m->joint_tables[1][L_AXILLA].strength, 5.0f);
    EXPECT_FLOAT_EQ(m->env_objects[0].color[3], 0.5f);
    EXPECT_EQ(m->env_objects[0].material, 0u);
    EXPECT_EQ(m->env_joints[0].visible, 0u);

    // The world built from it, as the physics engine holds it.
    ASSERT_EQ(init_world(m), 0);
    Player *p0 = get_player(0), *p1 = get_player(1);
    ASSERT_TRUE(p0 && p1);
    expect_box(p0->body_geoms[HEAD], 0.3, 0.25, 0.2);
    EXPECT_NEAR(body_mass(p0->bodies[HEAD]), 0.5 * 0.3 * 0.25 * 0.2, 1e-6);
    expect_rotation(dBodyGetRotation(p0->bodies[HEAD]), M_PI / 2, 0, 0);
    dVector3 v;
    dGeomBoxGetLengths(p0->body_geoms[R_HAND], v);
    EXPECT_NEAR(v[0], 0.15, 1e-6);
    EXPECT_NEAR(dGeomSphereGetRadius(p0->joint_spheres[NECK]), 0.13, 1e-6);
    dJointGetHingeAxis(p0->hinges[NECK], v);
    EXPECT_NEAR(v[1], 1.0, 1e-6);
    EXPECT_NEAR(dJointGetHingeParam(p0->hinges[NECK], dParamHiStop), 0.8, 1e-6);
    EXPECT_NEAR(dJointGetHingeParam(p0->hinges[NECK], dParamLoStop), -0.4, 1e-6);
    dJointGetHingeAnchor(p0->hinges[NECK], v);
    EXPECT_NEAR(v[2], 2.52 - 0.05, 1e-6);   // fighter 0 is built 0.05 lower

    // Player 1 has its own tables: a sphere head of radius 0.3 and the
    // built-in neck; ghost records take their fighter's tables.
    ASSERT_EQ(dGeomGetClass(p1->body_geoms[HEAD]), dSphereClass);
    EXPECT_NEAR(dGeomSphereGetRadius(p1->body_geoms[HEAD]), 0.3, 1e-6);
    EXPECT_NEAR(dJointGetHingeParam(p1->hinges[NECK], dParamHiStop), 0.5, 1e-6);
    ASSERT_EQ(dGeomGetClass(get_player(2)->body_geoms[HEAD]), dBoxClass);
    ASSERT_EQ(dGeomGetClass(get_player(3)->body_geoms[HEAD]), dSphereClass);

    // Objects: a static box, a moving sphere and cylinder joined by a hinge.
    EnvObjectBody *o1 = get_env_object(0), *o2 = get_env_object(1), *o3 = get_env_object(2);
    ASSERT_TRUE(o1 && o2 && o3);
    EXPECT_EQ(get_env_object(3), nullptr);
    EXPECT_EQ(o1->body, nullptr);   // flag 8: static
    expect_box(o1->geom, 1.0, 1.0, 0.2);
    EXPECT_NEAR(dGeomGetPosition(o1->geom)[1], 3.0, 1e-6);
    expect_rotation(dGeomGetRotation(o1->geom), 0, 0, M_PI / 4);
    EXPECT_NEAR(o1->record->friction, 50.0, 1e-6);
    EXPECT_NEAR(o1->record->bounce, 0.3, 1e-6);
    ASSERT_EQ(dGeomGetClass(o2->geom), dSphereClass);
    EXPECT_NEAR(dGeomSphereGetRadius(o2->geom), 0.2, 1e-6);
    ASSERT_NE(o2->body, nullptr);
    EXPECT_NEAR(body_mass(o2->body), 0.5, 1e-6);
    EXPECT_EQ(o2->thrust_period, 5);
    ASSERT_EQ(dGeomGetClass(o3->geom), dCapsuleClass);
    EnvObjectLink *link = get_env_link(0);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(dJointGetBody(link->hinge, 0), o2->body);
    EXPECT_EQ(dJointGetBody(link->hinge, 1), o3->body);
    dJointGetHingeAxis(link->hinge, v);
    EXPECT_NEAR(v[0], 1.0, 1e-6);
    EXPECT_NEAR(dJointGetHingeParam(link->hinge, dParamFMax), 10.0, 1e-6);
    // The ground takes the world friction.
    EXPECT_NEAR(static_cast<const GeomRecord *>(dGeomGetData(get_floor_geom()))->friction, 600.0, 1e-6);
}

// Body rotations are 32-bit radians: degrees written from them must read
// back to the same radians, for whole and for odd values.
static std::string rotation_lines()
{
    std::string text = "player 0\r\n";
    const char *bodies[] = {"breast", "chest", "stomach", "groin", "r_pecs", "r_biceps"};
    const double degrees[][3] = {{45, -30, 180}, {359.5, -720, 0.1}, {9.130713, 8.836739, -7.396106},
                                 {0.000001, 12.345678, -0.5}, {1, 2, 3}, {33.3, 66.6, 99.9}};
    for (int i = 0; i < 6; i++) {
        char line[160];
        snprintf(line, sizeof line, "body %s\r\nrot %f %f %f\r\n", bodies[i], degrees[i][0], degrees[i][1],
                 degrees[i][2]);
        text += line;
    }
    return text;
}

TEST_F(ModTest, WriteLoadWriteGivesTheSameBytes)
{
    write_mod("every.kxm", rotation_lines() + k_every_statement);
    ASSERT_EQ(load_mod("every.kxm"), 0);
    ModWorld *m = build_mod_world();
    ASSERT_NE(m, nullptr);
    // An alpha that prints as 1 and a threshold below -1 (breaks as 0).
    m->env_objects[2].color[3] = 0.9999999f;
    m->joint_tables[1][R_KNEE].dm_threshold = -5;
    m->env_objects[1].mass = 2e-7;   // "%f" would write 0, which reads as an error
    ASSERT_EQ(write_mod_file(m, "data/mod/first.kxm"), 0);
    const std::string first = kxtest::read_file("data/mod/first.kxm");

    EXPECT_EQ(load_errors("first.kxm"), "");
    EXPECT_EQ(get_loaded_joint_table(1)[R_KNEE].dm_threshold, 0);
    EXPECT_EQ(get_loaded_joint_table(1)[L_KNEE].dm_threshold, -1);
    EXPECT_EQ(get_loaded_joint_table(0)[NECK].dm_threshold, 50);
    EXPECT_NEAR(get_loaded_mod_world()->env_objects[1].mass, 2e-7, 1e-13);
    // Written from the record as loaded: a build refuses so light an object.
    ASSERT_EQ(write_mod_file(get_loaded_mod_world(), "data/mod/second.kxm"), 0);
    EXPECT_EQ(kxtest::read_file("data/mod/second.kxm"), first);

    // What the text holds.
    EXPECT_EQ(first.rfind("friction 600.000000\r\nplayer 0\r\n   body head\r\n", 0), 0u) << first.substr(0, 80);
    for (const char *line : {"      rot 90.000000 0.000000 0.000000\r\n", "rot 45.000000 -30.000000 180.000000\r\n",
                             "rot 359.500000 -720.000000 0.100000\r\n", "rot 33.300000 66.600000 99.900000\r\n",
                             "   color 1.000000 0.000000 0.000000 0.500000\r\n",
                             "   color 0.000000 1.000000 0.000000\r\n",   // alpha 1: three values
                             "      thrust 10 0.000000 0.000000 2.000000\r\n"})
        EXPECT_NE(first.find(line), std::string::npos) << line;
    size_t bare = 0;
    for (size_t i = 0; i < first.size(); i++)
        bare += first[i] == '\n' && (i == 0 || first[i - 1] != '\r');
    EXPECT_EQ(bare, 0u);
    // A number longer than the word reader looks at stays in float range.
    run_lines({"body l_foot", "rot " + std::string(253, '0') + "9e99 0 0"});
    EXPECT_TRUE(std::isfinite(get_loaded_body_table(1)[L_FOOT].rot[0]));
}

// Each case: lines that set the context, the bad line, its exact message.
struct BadLine {
    std::vector<std::string> before;
    std::string line;
    std::string message;
};

TEST_F(ModTest, EveryErrorPrintsItsMessageAndChangesNothing)
{
    const std::vector<std::string> body = {"body head"}, joint = {"joint neck"}, object = {"env_obj 1"},
                                   two = {"env_obj 1", "env_obj 2"};
    const std::vector<BadLine> cases = {
        {{}, "joint", "joint needs a parameter\n"},
        {{}, "joint \f", "load is empty for key joint\n"},
        {{}, "joint knee", "no such joint knee\n"},
        {body, "sides abc", "not enough arguments to sides\n"},
        {body, "sides 1 -1 1", "arguments negative\n"},
        {joint, "range 0.5 1.0", "high stop < low stop (\"0.5 1.0\")\n"},
        {{}, "radius 1", "Unexpected radius command\n"},
        {body, "shape cube", "No such shape (cube)\n"},
        {body, "material wood", "Unknown material (wood)\n"},
        {object, "visible 2", "visible can only be set to 1 or 0\n"},
        {body, "thrust 1 2 3", "not enough arguments to thrust\n"},
        {body, "thrust 0 1 2 3", "invalid frames input to thrust\n"},
        {{}, "player 2", "Invalid player index: 2\n"},
        {{}, "env_obj 17", "Environment object out of range (17)\n"},
        {two, "env_obj_joint 1 2 2", "Environment object joint parameter(s) invalid (env_obj_joint 1 2 2)\n"},
        {object, "env_obj_joint 1 1 2",
         "Environment object joint refers to a non defined obj (env_obj_joint 1 1 2)\n"},
        {{}, "dance 1 2", "parse_mod_cmd no op found dance 1 2\n"},
        // Statements outside the blocks they belong to.
        {{}, "bounce 1", "bounce statement out of context\n"},
        {{"world"}, "force 1 2 3", "force statement out of context\n"},
        {joint, "rot 1 2 3", "rotate statement out of context\n"},
        {object, "alt_sides 1 1 1", "alt_sides statement out of context\n"},
        {{"blood"}, "flag 1", "flag statement out of context\n"},
        // Values the physics engine cannot take.
        {body, "density 0", "density must be above 0 (0)\n"},
        {object, "mass nan", "mass must be above 0 (nan)\n"},
        {{}, "friction -1", "friction must not be negative (-1)\n"},
        // Statements after a refused block statement have nothing to change.
        {{"body belly"}, "pos 1 2 3", "pos statement out of context\n"},
        {{"env_obj_joint 1 2 2"}, "axis 1 0 0", "axis statement out of context\n"},
    };
    for (const BadLine &c : cases) {
        load_errors("none.kxm", 1);   // the reset record (the file does not exist)
        run_lines(c.before);
        const std::vector<unsigned char> before = snapshot();
        EXPECT_EQ(run_lines({c.line}), c.message) << c.line;
        EXPECT_TRUE(snapshot() == before) << "changed by: " << c.line;
    }
}

// A line of 2048 characters (its line end not counted) is read; a longer
// one is dropped whole, also when a NUL byte inside it would make it look
// short, and its tail is never read as a statement of its own.
TEST_F(ModTest, LinesOverTheLimitAreDroppedWholeEvenWithANul)
{
    const std::string at_limit = "message " + std::string(MOD_LINE_MAX - 8, 'x');
    const std::string nul_line = std::string(1, '\0') + std::string(MOD_LINE_MAX + 50, ' ') + "message split";
    const std::string over = "version " + std::string(MOD_LINE_MAX - 7, '9');
    write_mod("long.kxm", at_limit + "\r\n" + nul_line + "\nversion 7\n" + over + "\n");
    const std::string err = load_errors("long.kxm");
    EXPECT_NE(err.find("data/mod/long.kxm: line 2 longer than 2048 characters ignored"), std::string::npos) << err;
    EXPECT_NE(err.find("data/mod/long.kxm: line 4 longer than 2048 characters ignored"), std::string::npos) << err;
    EXPECT_EQ(get_mod_parser()->message, std::string(MOD_MESSAGE_SIZE - 1, 'x'));
    EXPECT_EQ(get_mod_parser()->version, 7);
}

TEST_F(ModTest, MissingAndUnsafeModsLeaveTheResetRecord)
{
    write_mod("some.kxm", "body head\nsides 0.4\nenv_obj 1\nfriction 5\n");
    ASSERT_EQ(load_mod("some.kxm"), 0);
    ASSERT_EQ(get_loaded_mod_world()->env_objects[0].defined, 1);

    EXPECT_EQ(load_errors("missing.kxm", 1), "Unable to open mod data/mod/missing.kxm\n");
    const ModWorld *m = get_loaded_mod_world();
    EXPECT_EQ(m->env_objects[0].defined, 0);
    EXPECT_EQ(m->object_surface, 0u);
    EXPECT_FLOAT_EQ(m->friction, 10000.0f);
    EXPECT_DOUBLE_EQ(m->env_objects[0].friction, 10000.0);
    EXPECT_EQ(memcmp(get_loaded_body_table(0), builtin_body_table(), sizeof(BodyDef) * BODY_DEF_ROWS), 0);
    EXPECT_STREQ(get_mod_rules()->mod, "missing.kxm");

    // Names that would leave data/mod are refused without opening anything.
    kxtest::write_file("secret.kxm", "body head\nsides 0.9\n");
    mkdir("data/mod/sub", 0755);
    write_mod("sub/inner.kxm", "body head\nsides 0.35\n");
    for (const char *bad : {"../../secret.kxm", "/etc/passwd", "sub/../../../secret.kxm", ".hidden", ""}) {
        const std::string err = load_errors(bad, 1);
        EXPECT_NE(err.find("Unable to open mod data/mod/"), std::string::npos) << err;
        EXPECT_FLOAT_EQ(get_loaded_body_table(0)[HEAD].sides[0], 0.2f) << bad;
    }
    EXPECT_EQ(load_mod(std::string(300, 'a').c_str()), 1);
    EXPECT_EQ(load_mod("sub/inner.kxm"), 0);   // folders under data/mod are fine
    EXPECT_FLOAT_EQ(get_loaded_body_table(0)[HEAD].sides[0], 0.35f);
}

TEST_F(ModTest, BuildRefusesSizesTheEngineCannotTake)
{
    // A box with a missing side and an object box of size zero: the world
    // build would abort in the engine, so they are reported and mended.
    write_mod("zero.kxm", "body chest\nsides 0.3\nenv_obj 1\nsides 0\nshape box\n");
    ASSERT_EQ(load_mod("zero.kxm"), 0);
    testing::internal::CaptureStderr();
    ModWorld *m = build_mod_world();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(m, nullptr);
    EXPECT_NE(err.find("Body CHEST: sides 0.3 0 0 refused"), std::string::npos) << err;
    EXPECT_NE(err.find("env_obj 1: sides 0 0 0 refused"), std::string::npos) << err;
    EXPECT_FLOAT_EQ(m->body_tables[0][CHEST].sides[1], 0.15f);
    EXPECT_DOUBLE_EQ(m->env_objects[0].sides[2], 0.5);
    ASSERT_EQ(init_world(m), 0);
    apply_world_forces();
    for (int i = 0; i < 20; i++) {
        world_physics_step();
        clear_contact_records();
    }
    EXPECT_TRUE(std::isfinite(dBodyGetPosition(get_player(0)->bodies[CHEST])[2]));
}
