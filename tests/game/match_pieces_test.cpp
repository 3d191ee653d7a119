// Pieces of the match no other test reaches: the name tables and part
// weights, the joint-state cycle and toggles at their edges, the ghost mode
// choice and a grip carried into the ghost, static objects and the thrust
// period, and the world options file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/base/text.h"
#include "game/env_objects.h"
#include "game/ghost.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_start.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "game/world_options.h"
#include "support/test_support.h"
#include "world_fixture.h"

TEST(NameTables, NamesMapsAndWeightsByNumber)
{
    EXPECT_STREQ(body_name(0), "HEAD");
    EXPECT_STREQ(body_name(17), "L_LEG");
    EXPECT_STREQ(body_name(18), "R_LEG");
    EXPECT_STREQ(body_name(21), "BODYPARTS");
    EXPECT_STREQ(body_name(22), "NONE");
    EXPECT_STREQ(body_name(-1), "NONE");
    EXPECT_STREQ(joint_id_name(7), "L_AXILLA");
    EXPECT_STREQ(joint_id_name(20), "JOINTS");
    EXPECT_STREQ(joint_id_name(21), "NONE");
    EXPECT_STREQ(motor_state_name(4), "MOTOR_RELAX");
    EXPECT_STREQ(motor_state_name(5), "NO_SUCH_MOTOR_STATE");
    EXPECT_STREQ(body_or_joint_name(-1), "GROUND");
    EXPECT_STREQ(body_or_joint_name(21), "BODYPARTS");
    EXPECT_STREQ(body_or_joint_name(22), "SPLEX");

    const int body_joint[21] = {0, 0, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 16, 18, 19};
    for (int b = 0; b < 21; b++)
        EXPECT_EQ(selected_joint_of_body(b), body_joint[b]) << b;
    const std::string err = kxtest::stderr_of([] { EXPECT_EQ(selected_joint_of_body(21), -1); });
    EXPECT_NE(err.find("selected_body missing joint for body nr 21"), std::string::npos);
    const int order[20] = {0, 3, 4, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 17, 19, 20};
    for (int j = 0; j < 20; j++)
        EXPECT_EQ(joint_order_map(j), order[j]) << j;
    EXPECT_EQ(joint_order_map(20), -1);

    const int weights[21] = {100, 70, 50, 50, 90, 15, 20, 20, 15, 20, 20, 0, 0, 15, 15, 20, 20, 20, 20, 0, 0};
    for (int b = 0; b < 21; b++)
        EXPECT_EQ(part_weight(b), weights[b]) << b;
    for (int j = 0; j < 20; j++) {
        const int want = (j == 6 || j == 9 || j == 16 || j == 17) ? 0 : (j >= 18 ? 10 : 40);
        EXPECT_EQ(part_weight(21 + j), want) << j;
    }
}

namespace {

class Pieces : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        get_game_state()->frozen = 1;
        get_game_globals()->selected_player = 0;
    }
};

} // namespace

// The cycle steps 1..4 and wraps both ways; the toggles flip their pairs;
// a broken joint and a running turn refuse every command.
TEST_F(Pieces, JointStateCycleAndTogglesAtTheirEdges)
{
    const int j = R_KNEE;
    fighter_set_joint_state(0, j, MOTOR_RELAX);
    ASSERT_EQ(cycle_joint_state(0, 0, j), 0);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_FWD);        // 4 wraps to 1
    ASSERT_EQ(cycle_joint_state(1, 0, j), 0);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_RELAX);      // 1 wraps back to 4
    std::vector<int> forward;
    for (int k = 0; k < 4; k++) {
        cycle_joint_state(0, 0, j);
        forward.push_back(get_joint_state(0, j));
    }
    EXPECT_EQ(forward, std::vector<int>({MOTOR_FWD, MOTOR_BACK, MOTOR_HOLD, MOTOR_RELAX}));
    toggle_joint_fwd_back(0, j);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_FWD);         // from any other state: forward
    toggle_joint_fwd_back(0, j);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_BACK);
    toggle_joint_hold_relax(0, j);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_HOLD);
    toggle_joint_hold_relax(0, j);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_RELAX);

    // Without a wish the state is read from the hinge.
    Player *p = get_player(0);
    p->motor_wish[j] = 0;
    drive_joint(0, j, MOTOR_BACK);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_BACK);
    drive_joint(0, j, MOTOR_HOLD);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_HOLD);
    relax_all(0);
    EXPECT_EQ(get_joint_state(0, j), MOTOR_RELAX);

    EXPECT_EQ(cycle_joint_state(0, 0, 20), 1);
    EXPECT_EQ(cycle_joint_state(0, 5, j), 1);
    break_joint(0, R_ELBOW, JOINT_FRACTURED);
    EXPECT_EQ(toggle_joint_hold_relax(0, R_ELBOW), 1);
    EXPECT_EQ(fighter_set_joint_state(0, R_ELBOW, MOTOR_HOLD), -1);
    set_all_joint_states(0, MOTOR_HOLD);
    EXPECT_NE(p->motor_wish[R_ELBOW], MOTOR_HOLD);
    EXPECT_EQ(p->motor_wish[NECK], MOTOR_HOLD);
    get_game_state()->frozen = 0;
    EXPECT_EQ(cycle_joint_state(0, 0, j), 1);
}

// Which preview runs after each choice of the player.
TEST_F(Pieces, GhostModeChoice)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    g->selected_player = -1;
    ghost_pick_player(1);
    EXPECT_EQ(w->ghost_mode, 1);
    EXPECT_EQ(g->selected_player, 1);
    ghost_pick_player(0);                 // another fighter: all of them
    EXPECT_EQ(w->ghost_mode, 2);
    EXPECT_EQ(g->selected_player, -1);
    ghost_pick_player(0);                 // from all, two fighters: the other one
    EXPECT_EQ(w->ghost_mode, 1);
    EXPECT_EQ(g->selected_player, 1);
    ghost_pick_player(1);                 // the one shown: off
    EXPECT_EQ(w->ghost_mode, 0);
    EXPECT_EQ(g->selected_player, -1);

    toggle_ghost_selected();              // none selected: fighter 0
    EXPECT_EQ(w->ghost_mode, 1);
    EXPECT_EQ(g->selected_player, 0);
    EXPECT_EQ(get_ghost_option(), GHOST_OPTION_ONE);
    toggle_ghost_selected();
    EXPECT_EQ(w->ghost_mode, 0);
    EXPECT_EQ(get_ghost_option(), GHOST_OPTION_NONE);

    w->frozen = 1;
    ASSERT_EQ(set_ghost_mode(0), 0);      // no preview: fighter 0's starts
    EXPECT_EQ(w->ghost_mode, 1);
    ASSERT_EQ(set_ghost_mode(0), 0);      // the same row with flag 8: off
    EXPECT_EQ(w->ghost_mode, 0);
    ASSERT_EQ(set_ghost_mode(1), 0);      // "long": 400 frames
    EXPECT_EQ(w->ghost_length, 400);
    w->game_over = 1;
    EXPECT_EQ(set_ghost_mode(3), 1);
    EXPECT_EQ(set_ghost_mode(6), 1);
    w->game_over = 0;
    get_game_globals()->replay_mode = 1;
    ghost_pick_player(0);
    EXPECT_EQ(w->ghost_row, 1);
}

// A gripping hand grips in the ghost from the preview's first frame (the
// preview of every fighter: the ghost it holds is on).
TEST_F(Pieces, GripCarriedIntoTheGhost)
{
    const double *hand = dBodyGetPosition(get_player(0)->bodies[R_HAND]);
    const double point[3] = {hand[0], hand[1], hand[2]};
    get_player(0)->grip_state[GRIP_RIGHT] = 1;
    grip_contact(0, 1, R_HAND, HEAD, point);
    ASSERT_NE(get_player(0)->grip_joints[R_HAND], nullptr);
    start_ghost_all();
    const Player *ghost = get_player(fighter_count() + 0);
    ASSERT_NE(ghost->grip_joints[R_HAND], nullptr);
    EXPECT_EQ(ghost->grip_state[GRIP_RIGHT], get_player(0)->grip_state[GRIP_RIGHT]);
    // Held to the ghost of the other fighter, not to the live one.
    const dBodyID other = dJointGetBody(ghost->grip_joints[R_HAND], 1);
    bool on_ghost = false;
    for (int b = 0; b < BODY_COUNT; b++)
        on_ghost = on_ghost || other == get_player(fighter_count() + 1)->bodies[b];
    EXPECT_TRUE(on_ghost);
}

// A static object has no body and stays put; a thrust acts on every n-th
// frame only, on objects and on fighters' bodies alike.
TEST_F(Pieces, StaticObjectsAndTheThrustPeriod)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/pieces.kxm",
                       "env_obj 1\nshape box\npos 0 3 0.5\nsides 1 1 1\nflag 8\n"
                       "env_obj 2\nshape box\npos 3 3 2\nsides 0.5 0.5 0.5\nmass 1\nthrust 3 0 0 50\n"
                       "body r_hand\nthrust 4 0 0 20\n");
    MatchRules rules;
    fill_default_rules(0, &rules);
    n_strncpyz(rules.mod, "pieces.kxm", sizeof rules.mod);
    new_match(0, 0, &rules, 0);
    leave_ghost_mode();       // the live objects take the thrusts
    EnvObjectBody *wall = get_env_object(0), *box = get_env_object(1);
    ASSERT_NE(wall, nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wall->body, nullptr);
    const dReal wall_at[3] = {dGeomGetPosition(wall->geom)[0], dGeomGetPosition(wall->geom)[1],
                              dGeomGetPosition(wall->geom)[2]};
    ASSERT_NE(box->body, nullptr);
    const dBodyID hand = get_player(0)->bodies[R_HAND];
    for (int frame = 1; frame <= 12; frame++) {
        SCOPED_TRACE(frame);
        dBodySetForce(box->body, 0, 0, 0);
        dBodySetForce(hand, 0, 0, 0);
        apply_thrusts(frame);
        EXPECT_EQ(dBodyGetForce(box->body)[2], frame % 3 == 0 ? 50.0 : 0.0);
        EXPECT_EQ(dBodyGetForce(hand)[2], frame % 4 == 0 ? 20.0 : 0.0);
    }
    get_game_state()->frozen = 0;
    for (int i = 0; i < 30; i++)
        step_world(0);
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(dGeomGetPosition(wall->geom)[k], wall_at[k]);
}

TEST_F(Pieces, WorldOptionsFileTunesTheWorld)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    reset_world_options();
    const WorldOptions before = *get_world_options();
    kxtest::write_file("world.txt",
                       "# a comment\nground.mu 5\nplayer.mu 0.7\nplayer.bounce 0.25\nground.bounce 0.5\n"
                       "ground.bounce_vel 0.4\nplayer.bounce_vel 0.06\nworld.gravity -5\nworld.cfm 0.01\n"
                       "world.stepsize 0.004\nwobble 3\n");
    std::string err = kxtest::stderr_of([] { EXPECT_EQ(load_world_options("world.txt"), 0); });
    EXPECT_EQ(err, "Unknown option wobble\n");
    const WorldOptions *o = get_world_options();
    EXPECT_FLOAT_EQ(o->player_mu, 0.7f);
    EXPECT_FLOAT_EQ(o->player_bounce, 0.25f);
    EXPECT_FLOAT_EQ(o->ground_bounce, 0.5f);
    EXPECT_FLOAT_EQ(o->ground_bounce_vel, 0.4f);
    EXPECT_FLOAT_EQ(o->player_bounce_vel, 0.06f);
    EXPECT_FLOAT_EQ(o->stepsize, 0.004f);
    EXPECT_FLOAT_EQ(o->soft_cfm, before.soft_cfm);        // ground.mu changes nothing
    dVector3 gravity;
    dWorldGetGravity(get_game_globals()->world, gravity);
    EXPECT_EQ(std::vector<double>({gravity[0], gravity[1], gravity[2]}), std::vector<double>({0, 0, -5}));
    EXPECT_NEAR(dWorldGetCFM(get_game_globals()->world), 0.01, 1e-9);
    EXPECT_EQ(load_world_options("missing.txt"), 1);
    reset_world_options();
}
