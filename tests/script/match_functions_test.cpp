// The script functions that drive the match, through a real Lua state and
// the real world.
#include <gtest/gtest.h>
#include <lua.hpp>
#include "game/match_setup.h"
#include "script/script_context.h"
#include "script_test_util.h"

class MatchFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(start_plain_match(12), 0); }
    void TearDown() override { free_game(); }
};

TEST_F(MatchFunctionsTest, RunFramesAndStepGameStartTurns)
{
    ScriptFolder folder("");
    folder.script("turns.lua", "exits = 0 set_hook('exit_freeze', function() exits = exits + 1 end) "
                               "run_frames(7)");
    folder.script("commit.lua", "step_game()");
    ScriptContext ctx;
    WorldState *w = get_game_state();
    ASSERT_EQ(load_script(&ctx, "turns.lua"), 0);
    EXPECT_EQ(w->frames_left, 8);
    EXPECT_EQ(w->frozen, 0);
    EXPECT_EQ(eval(ctx, "exits"), "0");   // run_frames is no commit
    for (int k = 0; k < 8; k++)
        run_match_tick(0);
    EXPECT_EQ(w->frame, 7);
    ASSERT_EQ(load_script(&ctx, "commit.lua"), 0);
    EXPECT_EQ(eval(ctx, "exits"), "1");
    EXPECT_EQ(w->frames_left, 13);
    // While the turn runs, a commit changes nothing.
    ASSERT_EQ(load_script(&ctx, "commit.lua"), 0);
    EXPECT_EQ(eval(ctx, "exits"), "1");
    EXPECT_EQ(w->frames_left, 13);
}

TEST_F(MatchFunctionsTest, GameOverTimeLimitAndGrips)
{
    ScriptFolder folder("");
    folder.script("limit.lua", "set_gameover_timelimit(-1)");
    folder.script("grip.lua", "ok1 = set_grip(0, 11, 1) ok2 = set_grip(0, 13, 1) "
                              "ok3 = set_grip(5, 12, 1) ok4 = set_grip(1, 12, 7)");
    folder.script("bad.lua", "set_grip('x')");
    ScriptContext ctx;
    ASSERT_EQ(load_script(&ctx, "limit.lua"), 0);
    EXPECT_EQ(get_game_state()->gameover_timelimit, -1);
    get_game_state()->frozen = 1;
    ASSERT_EQ(load_script(&ctx, "grip.lua"), 0);
    EXPECT_EQ(eval(ctx, "(ok1 and 1 or 0) .. (ok2 and 1 or 0) .. (ok3 and 1 or 0) .. (ok4 and 1 or 0)"), "1000");
    EXPECT_EQ(get_player(0)->grip_wish[GRIP_RIGHT], GRIP_ON);
    // The rules may forbid grips.
    get_match_rules()->flags |= RULE_FLAG_NO_GRIP;
    folder.script("grip2.lua", "ok5 = set_grip(0, 12, 1)");
    ASSERT_EQ(load_script(&ctx, "grip2.lua"), 0);
    EXPECT_EQ(eval(ctx, "ok5 and 1 or 0"), "0");
    EXPECT_EQ(get_player(0)->grip_wish[GRIP_LEFT], GRIP_NONE);
    // A bad argument is a script error; the game goes on.
    EXPECT_EQ(load_script(&ctx, "bad.lua"), 1);
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

TEST_F(MatchFunctionsTest, GameOverTimeLimitMinusOneSkipsTheEndReplay)
{
    WorldState *w = get_game_state();
    w->gameover_timelimit = -1;
    get_match_rules()->matchframes = 20;
    start_turn_frames(20);
    for (int k = 0; k < 200; k++)
        run_match_tick(0);
    EXPECT_EQ(w->game_over, 1);
    EXPECT_EQ(w->end_frame, 0);
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    EXPECT_GT(w->frame, 150);
}
