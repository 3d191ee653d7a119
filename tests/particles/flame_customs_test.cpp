// Flame slots follow the players' customisation records.
#include <gtest/gtest.h>

#include "game/game_state.h"
#include "game/world_build.h"
#include "net/records/custom_record.h"
#include "particles/flames.h"

TEST(FlameCustoms, SlotsBurnWhileTheRecordSetsThemAndGoOutAfter)
{
    ASSERT_EQ(init_game(), 0);
    clear_all_customs();
    flames_clear();
    const float white[4] = {1, 1, 1, 1};
    flame_set(1, 2, 4, white);                          // set by hand: left alone
    ASSERT_EQ(parse_custom_flame0("3 100 50 0 0", get_custom_record(0)), 0);
    ASSERT_EQ(parse_custom_flame1("99 100 100 100 50", get_custom_record(0)), 0);   // no such body
    flames_update();
    const FlameSystem *s = get_flame_system(0);
    EXPECT_EQ(s->body, 3);
    EXPECT_FLOAT_EQ(s->color[0], 1);
    EXPECT_FLOAT_EQ(s->color[1], 0.5f);
    EXPECT_FLOAT_EQ(s->color[3], 1);
    const dReal *at = dBodyGetPosition(get_player(0)->bodies[3]);
    EXPECT_NEAR(s->particles[0].pos[2], at[2], 1e-4);
    EXPECT_EQ(s->particles[0].age, 0);
    EXPECT_EQ(get_flame_system(1)->body, -1);
    clear_all_customs();
    flames_update();
    EXPECT_EQ(get_flame_system(0)->body, -1);
    EXPECT_EQ(get_flame_system(FLAME_SLOTS + 2)->body, 4);
    free_game();
}
