// Shared set-up of the match tests: the built-in world under the default
// single-play rules, a match reset to frame 0 and waiting for its first turn,
// and a driver that plays turns as a player would, tick by tick.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "match_setup.h"

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        fill_default_rules(0, get_match_rules());   // 500 frames, turns of 10
        *get_next_match_rules() = *get_match_rules();
        apply_world_forces();
        start_single_play_match();
    }
    void TearDown() override { free_game(); }

    static bool waiting() { return match_waiting(); }
    static void tick(int n = 1)
    {
        for (int k = 0; k < n; k++)
            run_match_tick(0);
    }
    // Lets the ghost preview run for preview_ticks, commits the turn and
    // plays its 10 frames, keeping the bodies' positions before each; true
    // when the match then waits for the next turn.
    static bool play_turn_recording(int preview_ticks, std::vector<std::vector<double>> *live)
    {
        restart_ghost(1);
        tick(preview_ticks);
        commit_turn(0);
        for (int k = 0; k < 10; k++) {
            live->push_back(body_positions());
            tick();
        }
        tick();   // ends the turn
        return waiting();
    }
};
