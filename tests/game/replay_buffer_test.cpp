// The in-memory replay: what takes a slot, the buffer's limit, and playback.
#include <string>
#include "game/joint_breaks.h"
#include "gui/services/chat_log.h"
#include "match_fixture.h"

static int g_full_messages;
static int count_full_messages(int, const char *text, MessageType)
{
    if (std::string(text).find("Replay buffer full") != std::string::npos)
        g_full_messages++;
    return 0;
}

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

TEST_F(MatchTest, FullBufferStopsRecordingWithOneMessage)
{
    WorldState *w = get_game_state();
    g_full_messages = 0;
    chat_set_console_filter(count_full_messages);
    set_grip(0, L_HAND, GRIP_ON);   // every frame counts
    start_turn_frames(300);
    tick(260);
    EXPECT_EQ(w->frames_recorded, REPLAY_FRAMES);
    EXPECT_EQ(g_full_messages, 1);
    EXPECT_EQ(get_replay_frame(255)->frame, 255);
    tick(20);
    EXPECT_EQ(get_replay_frame(255)->frame, 255);
    EXPECT_EQ(g_full_messages, 1);
    EXPECT_EQ(store_replay_frame(0), 1);
    // A new match records again, and may say so again when full.
    truncate_replay(0);
    EXPECT_EQ(store_replay_frame(0), 0);
    chat_set_console_filter(nullptr);
}
