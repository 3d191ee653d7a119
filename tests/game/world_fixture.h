// Shared set-up of the game tests: the built-in world under earth gravity,
// running (not frozen), torn down at the end of each test.
#pragma once
#include <gtest/gtest.h>
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/world_build.h"

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        MatchRules *r = get_match_rules();
        r->gravity[0] = 0;
        r->gravity[1] = 0;
        r->gravity[2] = -9.81f;
        apply_world_forces();
        get_game_state()->frozen = 0;
        get_game_globals()->replay_mode = 0;
    }
    void TearDown() override { free_game(); }

    static const dReal *body_pos(int i, int b) { return dBodyGetPosition(get_player(i)->bodies[b]); }
};
