// Shared set-up of the match tests: the built-in world under the default
// single-play rules, a match reset to frame 0 and waiting for its first turn,
// and a driver that plays turns as a player would, tick by tick.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "match_setup.h"

// The single-play defaults of the rules record (matchframes 500, turns of
// 10, dismemberment on, gravity 0 0 -9.82, two players).
inline void set_single_play_rules(MatchRules *r)
{
    fill_default_rules(0, r);
}

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        set_single_play_rules(get_match_rules());
        *get_next_match_rules() = *get_match_rules();
        ASSERT_EQ(get_match_rules()->matchframes, 500);
        ASSERT_EQ(get_match_rules()->turnframe_count, 1);
        ASSERT_EQ(get_match_rules()->turnframe_list[0], 10);
        ASSERT_EQ(rules_nominal_turn_length(), 10);
        apply_world_forces();
        start_match();
    }
    void TearDown() override { free_game(); }

    static void start_match() { start_single_play_match(); }
    static bool waiting() { return match_waiting(); }
    static void tick(int n = 1)
    {
        for (int k = 0; k < n; k++)
            run_match_tick(0);
    }
};
