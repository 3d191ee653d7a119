// Replay files: autosave name, write and read back byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "app/base/options.h"
#include "app/base/text.h"
#include "game/match_start.h"
#include "game/protocol/replay_file.h"
#include "game/turn_cycle.h"
#include "game/joints.h"
#include "support/test_support.h"
#include "world_fixture.h"

TEST_F(WorldTest, AutosaveNameOfTwoFighters)
{
    set_player_name(0, "A");
    set_player_name(1, "B");
    get_player(0)->injury = 300;
    get_player(1)->injury = 1200;
    char name[256];
    ASSERT_EQ(autosave_name(name, sizeof name), 0);
    EXPECT_STREQ(name, "autosave/A_vs_B-1200_300.rpl");
    set_player_name(0, ".x/y\\z");
    ASSERT_EQ(autosave_name(name, sizeof name), 0);
    EXPECT_STREQ(name, "autosave/_x_y_z_vs_B-1200_300.rpl");
}

TEST_F(WorldTest, WrittenReplayReadsBackToTheSameBytes)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    option_set(OPT_AUTOSAVE, 1);
    MatchRules r;
    fill_default_rules(0, &r);
    new_match(0, 0, &r, 0);
    set_player_name(0, "A");
    set_player_name(1, "B");
    get_game_state()->frozen = 1;
    truncate_replay(0);
    for (int t = 0; t < 3; t++) {
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(0, j, 1 + (t + j) % 4);
        set_grip(1, L_HAND, 1);
        set_player_emote(0, "hi\r\nFRAME 9;", 5);
        start_turn_frames(10);
        for (int k = 0; k < 10; k++)
            run_match_tick(0);
    }
    ASSERT_GT(get_game_state()->frames_recorded, 0);
    ASSERT_EQ(save_replay(), 0);
    char name[256];
    autosave_name(name, sizeof name);
    const std::string first = kxtest::read_file(name);
    ASSERT_EQ(read_replay_file(name), 0);
    ASSERT_EQ(write_replay("again.rpl", 0), 0);
    EXPECT_TRUE(kxtest::read_file("again.rpl") == first);
}
