// Shared set-up of the game tests: the built-in world under earth gravity,
// running (not frozen), with no rpg statistics or rpg joint rows from an
// earlier game server, torn down at the end of each test.
#pragma once
#include <gtest/gtest.h>
#include "game/rpg_stats.h"
#include "world_setup.h"

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_rpg_stats();
        clear_rpg_joint_tables();
        ASSERT_EQ(start_running_world(), 0);
    }
    void TearDown() override { free_game(); }

    static const dReal *body_pos(int i, int b) { return dBodyGetPosition(get_player(i)->bodies[b]); }
};
