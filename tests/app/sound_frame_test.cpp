#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/services/sound.h"
#include "app/services/sound_frame.h"
#include "game/blood.h"
#include "game/game_state.h"
#include "game/world_build.h"

// The sound core and the per-frame sound events on the real fighters of the
// built-in world, played through an in-memory playback interface: which
// effect plays is the core's logic, independent of any mixer.
namespace {

struct Played {
    int channel, sound, volume;
};
std::vector<Played> g_played;
std::set<int> g_busy;
int g_volume[SOUND_CHANNELS] = {128, 128, 128, 128, 128, 128, 128, 128};

int busy(int channel) { return g_busy.count(channel) ? 1 : 0; }
void set_volume(int channel, int v)
{
    for (int c = 0; c < SOUND_CHANNELS; c++)
        if (channel == -1 || channel == c)
            g_volume[c] = v;
}
void play(int channel, int sound, int) { g_played.push_back({channel, sound, g_volume[channel >= 0 ? channel : 0]}); }
const SoundBackend kBackend = {busy, set_volume, play};

class SoundFrame : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        w = get_game_state();
        w->ghost_mode = 0;
        // The sound as a fresh program has it: no channel busy, every
        // channel and the stored volume at the top.
        g_busy.clear();
        for (int &v : g_volume)
            v = SOUND_VOLUME_MAX;
        sound_set_backend(&kBackend);
        sound_set_frame_source(nullptr);
        sound_mark_opened();
        sound_set_volume(SOUND_VOLUME_MAX);
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
class SoundCore : public SoundFrame {};

} // namespace

// (The busy-channel, forced and scaled-volume rules are checked through the
// real mixer in SoundMixer.DummyDriverPlaysByTheRules.)
TEST_F(SoundCore, VolumeBoundsAndTheForcedTurnAlert)
{
    w->frame = 3;
    sound_set_volume(500);
    EXPECT_EQ(sound_volume(), 128);
    sound_disable();
    EXPECT_EQ(sound_volume(), 0);
    EXPECT_EQ(sound_stored_volume(), 128);
    sound_play(2, 11, 1, 1);
    EXPECT_TRUE(g_played.empty());
    EXPECT_FALSE(sound_cache_slot(3, 0)->used);
    sound_enable();
    sound_play(2, 48, 1, 1);                // no such effect
    sound_play(8, 11, 1, 1);                // no such channel
    EXPECT_TRUE(g_played.empty());
    // The bell goes to channel 7 even when it is busy, and is not cached.
    g_busy = {7};
    play_turn_alert_sound();
    ASSERT_EQ(g_played.size(), 1u);
    EXPECT_EQ(g_played[0].channel, 7);
    EXPECT_EQ(g_played[0].sound, SOUND_FIGHT_ALERT);
    EXPECT_FALSE(sound_cache_slot(3, 0)->used);
}

TEST_F(SoundCore, FrameCacheKeepsTheFirstTwoAndReplaysThem)
{
    w->frame = 5;
    sound_play(1, 11, 1, 1);
    sound_play(2, 12, 0, 1);
    sound_play(3, 13, 1, 1);
    EXPECT_EQ(sound_cache_slot(5, 0)->sound, 11);
    EXPECT_EQ(sound_cache_slot(5, 1)->sound, 12);
    sound_cache_record(2048, 1, 11, 1, 1.0f);
    sound_cache_record(-1, 1, 11, 1, 1.0f);
    EXPECT_EQ(sound_cache_slot(2048, 0), nullptr);
    sound_cache_record(2047, 4, 30, 1, 0.25f);
    EXPECT_EQ(sound_cache_slot(2047, 0)->scale, 0.25f);

    g_played.clear();
    sound_cache_play(5);
    ASSERT_EQ(g_played.size(), 2u);
    EXPECT_EQ(g_played[0].sound, 11);
    EXPECT_EQ(g_played[1].sound, 12);
    // Replaying records nothing more.
    EXPECT_EQ(sound_cache_slot(5, 1)->sound, 12);
    sound_cache_play(2048);
    EXPECT_EQ(g_played.size(), 2u);
    sound_cache_clear();
    EXPECT_FALSE(sound_cache_slot(5, 0)->used);
}

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
