// Limb trails follow the hands and feet of the live fighters frame by frame.
#include <gtest/gtest.h>
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/world_build.h"
#include "game/world_physics.h"
#include "particles/limb_trails.h"

class TrailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        get_match_rules()->gravity[2] = -9.82f;
        apply_world_forces();
        trails_reset();
    }
    void TearDown() override { free_game(); }
};

TEST_F(TrailTest, SegmentsFollowTheLimbsAndAge)
{
    LimbTrail *t = get_limb_trail(1, 1); // fighter 1's left hand
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->count, 0);
    for (int k = 0; k < 5; k++) {
        dBodySetPosition(get_player(1)->bodies[L_HAND], k, 2 * k, 3);
        trails_update();
    }
    EXPECT_EQ(t->count, 5);
    for (int s = 0; s < 5; s++) {
        const TrailSegment *seg = trail_segment(t, s);
        ASSERT_NE(seg, nullptr);
        EXPECT_EQ(seg->age, s);
        EXPECT_EQ(seg->pos[0], (float)(4 - s));
        EXPECT_EQ(seg->pos[1], (float)(2 * (4 - s)));
    }
    EXPECT_EQ(trail_segment(t, 5), nullptr);
    EXPECT_EQ(trail_segment(t, -1), nullptr);
}

TEST_F(TrailTest, LengthBoundsTheTrailResetEmptiesAllAndOnlyFightersOfTheMatchLeaveTrails)
{
    LimbTrail *t = get_limb_trail(0, 3);
    trail_set_length(t, 3);
    for (int k = 0; k < 10; k++)
        trails_update();
    EXPECT_EQ(t->count, 3);
    EXPECT_EQ(trail_segment(t, 2)->age, 2);
    // Longer than the ring is held to the ring; the ring wraps cleanly.
    trail_set_length(t, 100000);
    EXPECT_EQ(t->length, TRAIL_CAPACITY);
    for (int k = 0; k < TRAIL_CAPACITY + 40; k++)
        trails_update();
    EXPECT_EQ(t->count, TRAIL_CAPACITY);
    EXPECT_EQ(trail_segment(t, TRAIL_CAPACITY - 1)->age, TRAIL_CAPACITY - 1);
    trail_set_length(t, 0);
    EXPECT_EQ(t->length, 1);
    trails_reset();
    for (int i = 0; i < 2; i++)
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(get_limb_trail(i, k)->count, 0);
    EXPECT_EQ(get_limb_trail(2, 0), nullptr);
    EXPECT_EQ(get_limb_trail(0, 4), nullptr);
    // Only fighters of the match leave trails.
    get_game_state()->players = 1;
    trails_update();
    EXPECT_EQ(get_limb_trail(0, 0)->count, 1);
    EXPECT_EQ(get_limb_trail(1, 0)->count, 0);
}
