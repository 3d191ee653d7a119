// The in-memory replay played back.
#include <string>
#include "game/game_callbacks.h"
#include "game/joint_breaks.h"
#include "game/protocol/replay_file.h"
#include "match_fixture.h"
#include "support/test_support.h"

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
        ASSERT_TRUE(play_turn_recording(4, &live));
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
        ASSERT_TRUE(play_turn_recording(3, &live));
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

// A hand that holds on makes every frame a recorded one: a whole match of
// 500 frames with a grip held from the first turn records 500 frames. Saved
// and read back, the replay holds them all and plays to the live match's
// final state. (Both fighters hold on, so that every frame holds the state
// of both: the file's values are rounded, and a fighter left to the
// simulation between its frames would drift by the rounding.)
TEST_F(MatchTest, AMatchWithAGripHeldThroughoutIsSavedWhole)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    EchoCapture echo;
    const std::vector<std::string> &echoed = echo.lines;
    WorldState *w = get_game_state();
    set_grip(0, L_HAND, GRIP_ON);
    set_grip(1, R_HAND, GRIP_ON);
    for (int t = 0; !w->game_over; t++)
        play_turn(t, 2);
    ASSERT_EQ(w->frame, 500);
    const std::vector<double> last = body_positions();
    const int recorded = w->frames_recorded;
    EXPECT_EQ(recorded, 500);
    EXPECT_EQ(get_replay_frame(recorded - 1)->frame, 499);
    ASSERT_EQ(write_replay("whole.rpl", 0), 0);
    echo.stop();
    EXPECT_TRUE(echoed.empty()) << echoed.front();

    ASSERT_EQ(read_replay_file("whole.rpl"), 0);
    EXPECT_EQ(w->frames_recorded, recorded);
    EXPECT_EQ(get_replay_frame(recorded - 1)->frame, 499);
    start_playback(0);
    while (w->frame < 500)
        tick();
    // Every frame applies the file's values (positions to 1e-8, rotations
    // and speeds to 1e-6), then one step runs.
    const std::vector<double> played = body_positions();
    ASSERT_EQ(played.size(), last.size());
    for (size_t k = 0; k < last.size(); k++)
        EXPECT_NEAR(played[k], last[k], 1e-4) << k;
}
