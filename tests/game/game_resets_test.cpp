// The game resets (single play, script game, leaving for a script), through
// a real Lua state whose hooks log what fired.
#include <gtest/gtest.h>
#include <string>

#include "app/base/user_strings.h"
#include "game/camera_keys.h"
#include "game/game_resets.h"
#include "script/script_games.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/world_build.h"
#include "script/script_context.h"
#include "script/script_test_util.h"

namespace {

const char *k_logger =
    "log = '' "
    "set_hook('leave_game', function() log = log .. 'L' end) "
    "set_hook('new_game', function() log = log .. 'N' end) "
    "set_hook('new_mp_game', function() log = log .. 'M' end) ";

class GameResets : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        fill_default_rules(0, get_next_match_rules());
    }
    void TearDown() override { free_game(); }

    ScriptFolder folder_{k_logger};
};

const float k_key[3] = {1, 2, 3};

} // namespace

TEST_F(GameResets, ResetGameStartsASinglePlayMatchBetweenItsHooks)
{
    ScriptContext ctx;
    set_nick("Rook");
    set_player_name(1, "Guest");
    MatchRules *next = get_next_match_rules();
    next->teams = 2;
    next->team_of[0] = next->team_of[1] = 1;
    get_game_globals()->replay_mode = 1;
    get_game_globals()->bouts_present = 2;
    camera_key_add(5, k_key, k_key);
    reset_game();
    EXPECT_EQ(eval(ctx, "log"), "LN");
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    EXPECT_EQ(get_game_globals()->network_mode, 0);
    EXPECT_EQ(get_game_globals()->bouts_present, 0);
    EXPECT_EQ(get_match_rules()->team_of[0], 0);
    EXPECT_EQ(get_match_rules()->team_of[1], 1);
    EXPECT_STREQ(get_player(0)->name, "Rook");
    EXPECT_STREQ(get_player(1)->name, "zud");
    EXPECT_EQ(camera_key_count(), 0);
    EXPECT_EQ(get_game_state()->frame, 0);
    EXPECT_EQ(get_game_state()->frozen, 1);
    for (int j = 0; j < JOINT_COUNT; j++) {
        EXPECT_NE(get_joint_state(0, j), MOTOR_HOLD) << j;
        EXPECT_EQ(get_joint_state(1, j), MOTOR_HOLD) << j;
    }
    set_nick("");
    reset_game();
    EXPECT_STREQ(get_player(0)->name, "vako");
}

TEST_F(GameResets, ScriptGameRunsTheScriptThenAHundredFrameMatch)
{
    ScriptContext ctx;
    folder_.script("game.lua", "log = log .. 'S' .. tostring(...)");
    reset_game();
    leave_and_load_script("game.lua x");
    EXPECT_EQ(eval(ctx, "log"), "LNLSx");
    load_script_game("game.lua y");
    EXPECT_EQ(eval(ctx, "log"), "LNLSxLNSyN");
    EXPECT_EQ(get_match_rules()->matchframes, 100);
    // Set as a player's "set" sets it: the mod's rules take it too.
    EXPECT_EQ(get_mod_rules()->matchframes, 100);
    EXPECT_EQ(get_joint_state(1, 0), MOTOR_HOLD);
    // A script that is not there is reported; the game still starts.
    load_script_game("missing.lua");
    EXPECT_EQ(get_game_state()->frame, 0);
}
