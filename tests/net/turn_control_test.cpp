// The player's control of the match: pausing replays, edit mode, the
// joint-change test, fighter selection and the frame time.
#include <gtest/gtest.h>
#include "game/joint_breaks.h"
#include "game/match_setup.h"
#include "script/script_context.h"
#include "script/script_test_util.h"

class TurnControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(start_plain_match(10), 0); }
    void TearDown() override { free_game(); }
};

TEST_F(TurnControlTest, PauseAndResumeAReplayFireTheirHooks)
{
    ScriptFolder folder("");
    folder.script("pr.lua", "log = '' set_hook('pause', function() log = log .. 'P' end) "
                            "set_hook('resume', function() log = log .. 'R' end)");
    ScriptContext ctx;
    ASSERT_EQ(load_script(&ctx, "pr.lua"), 0);
    WorldState *w = get_game_state();
    // Live play waits between turns by itself: nothing to toggle.
    w->frozen = 1;
    EXPECT_EQ(toggle_game_running(0), 0);
    EXPECT_EQ(w->frozen, 1);
    start_turn_frames(5);
    start_playback(0);
    EXPECT_EQ(get_game_globals()->replay_mode, 1);
    EXPECT_EQ(w->frozen, 0);
    EXPECT_EQ(toggle_game_running(0), 0);
    EXPECT_EQ(w->frozen, 1);
    const int frame = w->frame;
    run_match_tick(0);
    EXPECT_EQ(w->frame, frame);
    EXPECT_EQ(toggle_game_running(1), 1);
    run_match_tick(0);
    EXPECT_EQ(w->frame, frame + 1);
    EXPECT_EQ(eval(ctx, "log"), "PR");
}

TEST_F(TurnControlTest, ReplayRunsItsGivenFramesThenPauses)
{
    WorldState *w = get_game_state();
    start_playback(0);
    start_turn_frames(7);   // a replay counts these down and pauses
    for (int k = 0; k < 12; k++)
        run_match_tick(0);
    EXPECT_EQ(w->frame, 7);
    EXPECT_EQ(w->frozen, 1);
}

TEST_F(TurnControlTest, EditModeMakesTheReplayLiveFromTheCurrentFrame)
{
    WorldState *w = get_game_state();
    fighter_set_joint_state(0, NECK, MOTOR_FWD);
    start_turn_frames(10);
    for (int k = 0; k < 4; k++) {
        fighter_set_joint_state(0, k, MOTOR_BACK);
        run_match_tick(0);
    }
    ASSERT_EQ(w->frames_recorded, 4);
    start_playback(0);
    run_match_tick(0);
    run_match_tick(0);
    ASSERT_EQ(w->play_frame, 2);
    enter_edit_mode();
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    EXPECT_EQ(w->frames_recorded, 2);
    EXPECT_EQ(w->frozen, 1);
    EXPECT_EQ(w->frame, 2);
    EXPECT_EQ(w->frames_left, 0);
    // The turn goes on live from here and is recorded after the kept frames.
    fighter_set_joint_state(1, NECK, MOTOR_FWD);
    commit_turn(0);
    run_match_tick(0);
    EXPECT_EQ(w->frames_recorded, 3);
    EXPECT_EQ(get_replay_frame(2)->frame, 2);
}

TEST_F(TurnControlTest, JointChangeAllowedOnlyWhileTheLiveWorldWaits)
{
    WorldState *w = get_game_state();
    w->frozen = 1;
    EXPECT_EQ(can_change_joint(1, 0), 0);   // nothing selected
    select_fighter(0);
    EXPECT_EQ(can_change_joint(0, 0), 1);
    EXPECT_EQ(can_change_joint(1, 0), 0);   // no joint
    set_selected_joint(R_ELBOW);
    EXPECT_EQ(can_change_joint(1, 0), 1);
    break_joint(0, R_ELBOW, JOINT_DISMEMBERED);
    EXPECT_EQ(can_change_joint(1, 0), 0);
    set_selected_joint(NECK);
    set_player_flag(0, 1);
    EXPECT_EQ(get_player(0)->ready, 1);
    EXPECT_EQ(can_change_joint(1, 0), 0);
    set_player_flag(0, 0);
    start_turn_frames(3);
    EXPECT_EQ(can_change_joint(1, 0), 0);   // the turn runs
    w->frozen = 1;
    get_game_globals()->replay_mode = 1;
    EXPECT_EQ(can_change_joint(1, 0), 0);
    get_game_globals()->replay_mode = 0;
    w->game_over = 1;
    EXPECT_EQ(can_change_joint(1, 0), 0);
    set_selected_joint(20);
    EXPECT_EQ(get_selected_joint(), -1);
}
