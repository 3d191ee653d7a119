// The in-memory replay played back.
#include "game/joint_breaks.h"
#include "match_fixture.h"

TEST_F(MatchTest, PlaybackPutsFightersWhereTheyWereRecorded)
{
    WorldState *w = get_game_state();
    std::vector<std::vector<double>> live;
    // Five turns with changing joints, grips and a break mark.
    for (int t = 0; t < 5; t++) {
        script_turn(t);
        if (t == 1)
            set_grip(0, R_HAND, GRIP_ON);
        if (t == 3)
            set_grip(0, R_HAND, GRIP_RELEASE);
        if (t == 2)
            break_joint(1, L_ELBOW, JOINT_DISMEMBERED);
        restart_ghost(1);
        tick(4);
        commit_turn(0);
        for (int k = 0; k < 10; k++) {
            live.push_back(body_positions());
            tick();
        }
        tick();   // ends the turn
        ASSERT_TRUE(waiting());
    }
    live.push_back(body_positions());
    ASSERT_EQ(w->frame, 50);
    const int recorded = w->frames_recorded;
    ASSERT_GT(recorded, 4);
    ASSERT_LT(recorded, 50);

    start_playback(0);
    EXPECT_EQ(get_game_globals()->replay_mode, 1);
    EXPECT_EQ(w->frame, 0);
    EXPECT_EQ(w->play_frame, 0);
    EXPECT_EQ(w->ghost_mode, 0);
    EXPECT_EQ(get_player(1)->joints[L_ELBOW].broken, JOINT_INTACT);
    for (int f = 0; f < 50; f++) {
        ASSERT_EQ(w->frame, f);
        ASSERT_EQ(body_positions(), live[f]) << "frame " << f;
        tick();
    }
    ASSERT_EQ(body_positions(), live[50]);
    EXPECT_EQ(w->play_frame, recorded);
    EXPECT_EQ(get_player(1)->joints[L_ELBOW].broken, JOINT_DISMEMBERED);
}

// Joints that the forces break in the live match are held in the next
// recorded frame, which the playback applies before that frame's step. The
// bodies of a dismembered joint collide with the blood drops, so the
// playback must shed the same drops at the same steps as the live match:
// with a joint already bleeding and more torn off by the forces, it follows
// the live match to the bit.
TEST_F(MatchTest, PlaybackFollowsTheJointsThatTheForcesBroke)
{
    WorldState *w = get_game_state();
    get_match_rules()->dismemberthreshold = 20;
    break_joint(1, L_ELBOW, JOINT_DISMEMBERED);
    std::vector<std::vector<double>> live;
    for (int t = 0; t < 6; t++) {
        script_turn(t);
        restart_ghost(1);
        tick(3);
        commit_turn(0);
        for (int k = 0; k < 10; k++) {
            live.push_back(body_positions());
            tick();
        }
        tick();   // ends the turn
        ASSERT_TRUE(waiting());
    }
    live.push_back(body_positions());
    int torn = 0;
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < JOINT_COUNT; j++)
            torn += get_player(i)->joints[j].broken == JOINT_DISMEMBERED;
    ASSERT_GT(torn, 2) << "the forces tore no joint";

    start_playback(0);
    for (int f = 0; f < 60; f++) {
        ASSERT_EQ(w->frame, f);
        ASSERT_EQ(body_positions(), live[f]) << "frame " << f;
        tick();
    }
    ASSERT_EQ(body_positions(), live[60]);
}
