// The blood drop rings.
#include "game/bleed.h"
#include "game/blood.h"
#include "world_fixture.h"

// Both rings wrap to drop 0 and reuse it: bleeding after 256 drops, contact
// blood after 255 (it never takes drop 255), starting at rest.
TEST_F(WorldTest, BloodRingsWrapAndReuseDropZero)
{
    const double point[3] = {1, 1, 1}, dir[3] = {0, 0, 1};
    for (int k = 0; k < 256; k++)
        spawn_bleed_drop(0, 21, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 256);
    get_blood_drop(0)->life = 7;
    spawn_bleed_drop(1, 22, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(0)->life, 50);
    EXPECT_EQ(get_blood_drop(0)->body_id, 22);

    reset_blood_drops();
    for (int k = 0; k < 255; k++)
        spawn_blood(0, 3, 1, 1, 1);
    EXPECT_EQ(get_blood_cursor(), 255);
    spawn_blood(1, 4, 2, 2, 2);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(255)->life, 0);
    const BloodDrop *d = get_blood_drop(0);
    EXPECT_EQ(d->fighter, 1);
    EXPECT_TRUE(dBodyIsEnabled(d->body));
    EXPECT_EQ(dBodyGetLinearVel(d->body)[2], 0);
    EXPECT_EQ(dBodyGetPosition(d->body)[0], 2);
}

// Drops sit out of the collision until placed: one placed after a reset
// lands on the ground and splashes instead of falling through it.
TEST_F(WorldTest, DropPlacedAfterResetLandsAndSplashes)
{
    reset_blood_drops();
    reset_blood_splash(0);
    spawn_blood(0, 3, 2.5, 2.5, 0.4);
    for (int k = 0; k < 100; k++)
        world_physics_step();
    EXPECT_GT(get_blood_splash_count(), 0);
    EXPECT_GT(dBodyGetPosition(get_blood_drop(0)->body)[2], 0.0);
}
