// The physics dump of a running match, read back line by line.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/physics_dump.h"
#include "match_fixture.h"
#include "support/test_support.h"

TEST_F(MatchTest, PhysicsDumpHoldsEveryFighterJointAndBodyAsTheWorldHasThem)
{
    tick(15);       // a turn has run: forces, velocities and feedback are set
    kxtest::TempDir dir;
    const std::string path = dir.file("physics.txt");
    ASSERT_EQ(dump_physics_state(path.c_str()), 0);

    std::istringstream in(kxtest::read_file(path));
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line))
        lines.push_back(line);
    // Per fighter: its injury, three lines per joint, nine per body.
    ASSERT_EQ(lines.size(), (size_t)(2 * (1 + 3 * JOINT_COUNT + 9 * BODY_COUNT)));

    size_t at = 0;
    for (int i = 0; i < 2; i++) {
        const Player *p = get_player(i);
        int n = -1;
        float injury = -1;
        ASSERT_EQ(sscanf(lines[at++].c_str(), "%d injury %f", &n, &injury), 2);
        EXPECT_EQ(n, i);
        EXPECT_FLOAT_EQ(injury, p->injury);
        for (int j = 0; j < JOINT_COUNT; j++) {
            char name[32], state[32];
            double fmax, vel;
            int k, s;
            ASSERT_EQ(sscanf(lines[at++].c_str(), "%d %31s fmax %lf Vel %lf", &k, name, &fmax, &vel), 4);
            EXPECT_EQ(k, j);
            EXPECT_STREQ(name, joint_id_name(j));
            EXPECT_NEAR(fmax, dJointGetHingeParam(p->hinges[j], dParamFMax), 1e-4);
            ASSERT_EQ(sscanf(lines[at++].c_str(), "%d mussle %31s %d", &k, state, &s), 3);
            EXPECT_EQ(s, get_joint_state(i, j));
            EXPECT_STREQ(state, motor_state_name(s));
            double v[12];
            ASSERT_EQ(sscanf(lines[at++].c_str(), "jfb %d %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", &k,
                             &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11]),
                      13);
            EXPECT_NEAR(v[0], p->hinge_feedback[j].f1[0], 1e-4);
        }
        for (int b = 0; b < BODY_COUNT; b++) {
            EXPECT_EQ(lines[at++], std::to_string(b) + " " + body_name(b));
            double x, y, z;
            at += 3;    // force, torque, velocity
            ASSERT_EQ(sscanf(lines[at++].c_str(), "position %lf %lf %lf", &x, &y, &z), 3);
            const dReal *pos = dBodyGetPosition(p->bodies[b]);
            EXPECT_NEAR(x, pos[0], 1e-5);
            EXPECT_NEAR(z, pos[2], 1e-5);
            at++;       // angular velocity
            double mass;
            ASSERT_EQ(sscanf(lines[at++].c_str(), "mass %lf", &mass), 1);
            EXPECT_GT(mass, 0);
            EXPECT_EQ(lines[at++].rfind("mussle ", 0), 0u);
            EXPECT_EQ(lines[at++].rfind("damage ", 0), 0u);
        }
    }

    // A folder that cannot hold the file: reported, and the dump already
    // there is kept as it was.
    const std::string before = kxtest::read_file(path);
    EXPECT_EQ(dump_physics_state(dir.file("missing/physics.txt").c_str()), 1);
    EXPECT_EQ(kxtest::read_file(path), before);
}
