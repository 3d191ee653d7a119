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
    flames_set_fighter_texture(0, 1);       // both fighters' flame textures loaded
    flames_set_fighter_texture(1, 1);
    const float white[4] = {1, 1, 1, 1};
    flame_set(1, 2, 4, white);                          // set by hand: left alone
    parse_custom_flame0("3 100 50 0 0", get_custom_record(0));
    parse_custom_flame1("99 100 100 100 50", get_custom_record(0));   // no such body: off
    flames_update();
    const FlameSystem *s = get_flame_system(0);
    EXPECT_EQ(s->body, 3);
    EXPECT_TRUE(s->color[0] == 1 && s->color[1] == 0.5f && s->color[3] == 1);
    EXPECT_NEAR(s->particles[0].pos[2], dBodyGetPosition(get_player(0)->bodies[3])[2], 1e-4);
    EXPECT_EQ(get_flame_system(1)->body, -1);
    clear_all_customs();
    flames_update();
    EXPECT_EQ(get_flame_system(0)->body, -1);
    EXPECT_EQ(get_flame_system(FLAME_SLOTS + 2)->body, 4);
    free_game();
}
