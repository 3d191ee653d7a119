#include <gtest/gtest.h>

#include <vector>

#include "app/services/sound.h"
#include "app/services/sound_frame.h"
#include "game/blood.h"
#include "game/game_state.h"
#include "game/world_build.h"

// The per-frame sound events on the real fighters of the built-in world,
// played through an in-memory playback interface.
namespace {

struct Played {
    int channel, sound, volume;
};
std::vector<Played> g_played;
int g_volume = 128;

int never_busy(int) { return 0; }
void set_volume(int, int v) { g_volume = v; }
void play(int channel, int sound, int) { g_played.push_back({channel, sound, g_volume}); }
const SoundBackend kBackend = {never_busy, set_volume, play};

class SoundFrame : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        w = get_game_state();
        w->ghost_mode = 0;
        sound_set_backend(&kBackend);
        sound_cache_alloc();
        sound_enable();
        step(1);
        g_played.clear();
    }
    void TearDown() override
    {
        sound_cache_free();
        free_game();
    }
    void step(int f)
    {
        w->frame = f;
        sound_update_frame(w);
    }
    std::vector<int> sounds() const
    {
        std::vector<int> s;
        for (const Played &p : g_played)
            s.push_back(p.sound);
        return s;
    }
    WorldState *w = nullptr;
};

} // namespace

TEST_F(SoundFrame, BreaksPlayThePendingSoundAndManyBreaksTheSlowdown)
{
    Player *p = get_player(0);
    p->broken_joints = 1;
    p->pending_sound = SOUND_NECK_FRACTURE;
    step(2);
    ASSERT_EQ(sounds(), std::vector<int>{SOUND_NECK_FRACTURE});
    EXPECT_EQ(g_played[0].channel, 6);
    EXPECT_EQ(sound_cache_slot(2, 0)->sound, SOUND_NECK_FRACTURE);
    step(4);
    EXPECT_EQ(g_played.size(), 1u);            // nothing new broke
    p->broken_joints = 12;
    step(5);
    EXPECT_EQ(g_played.back().sound, SOUND_SLOWDOWN);
}

TEST_F(SoundFrame, HitsAndHeadHitsEveryThirdFrame)
{
    Player *p1 = get_player(1);
    p1->score += 600.0f;
    p1->head_impact += 40.0f;
    get_player(0)->head_impact += 200.0f;
    step(2);
    EXPECT_TRUE(g_played.empty());
    step(3);
    // Fighter 1's hit (row 500, half volume) on its channel, then its head
    // hit; fighter 0's head is not tried once fighter 1 played.
    ASSERT_EQ(sounds(), (std::vector<int>{11, 9}));
    EXPECT_EQ(g_played[0].channel, 1);
    EXPECT_EQ(g_played[0].volume, 64);
    EXPECT_EQ(g_played[1].channel, 4);
    step(6);
    EXPECT_EQ(sounds(), (std::vector<int>{11, 9, 10}));   // now fighter 0's head
}

TEST_F(SoundFrame, HandSwingAfterTenFrames)
{
    Player *p = get_player(0);
    for (int f = 2; f <= 10; f++) {
        dBodySetLinearVel(p->bodies[R_HAND], 100, 0, 0);
        step(f);
    }
    ASSERT_FALSE(g_played.empty());
    EXPECT_EQ(g_played.back().sound, SOUND_SWOOSH_HAND);
    EXPECT_EQ(g_played.back().channel, 2);
}

TEST_F(SoundFrame, GroundImpactsNeverRepeatARowAndTheFirstWaits)
{
    Player *p = get_player(0);
    p->ground_speed = 200.0f;
    step(2);                                   // row 0 may not come first
    EXPECT_TRUE(g_played.empty());
    EXPECT_EQ(p->ground_speed, 0.0f);
    p->ground_speed = 240.0f;                  // (240 - 200) / 2 = 20: row 2
    step(4);
    ASSERT_EQ(sounds(), std::vector<int>{19});
    EXPECT_EQ(g_played[0].channel, 0);
    p->ground_speed = 280.0f;
    step(8);                                   // row 2 again: skipped
    EXPECT_EQ(g_played.size(), 1u);
}

TEST_F(SoundFrame, SplashesFromTheBloodDrops)
{
    reset_blood_splash(700.0);
    step(4);                                   // 700 + 100 for a first splash
    ASSERT_EQ(sounds(), std::vector<int>{35});
    EXPECT_EQ(g_played[0].channel, 6);
    EXPECT_EQ(get_blood_splash(), 0.0);
    reset_blood_splash(2000.0);                // 2000 - 700 = 1300: row 1000
    step(8);
    EXPECT_EQ(g_played.back().sound, 38);
}

TEST_F(SoundFrame, NothingDuringAGhostPreview)
{
    w->ghost_mode = 1;
    get_player(0)->broken_joints = 3;
    get_player(0)->pending_sound = SOUND_BREAK;
    get_player(1)->score += 9000.0f;
    for (int f = 2; f <= 12; f++)
        step(f);
    EXPECT_TRUE(g_played.empty());
}
