#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/services/sound.h"

// The sound core against a small in-memory playback interface: the logic of
// which effect plays is the core's, independent of any mixer.
namespace {

struct Played {
    int channel, sound, volume, loops;
};

std::vector<Played> g_played;
std::set<int> g_busy;
int g_volume[SOUND_CHANNELS];
int g_frame;

int busy(int channel) { return g_busy.count(channel) ? 1 : 0; }
void set_volume(int channel, int v)
{
    for (int c = 0; c < SOUND_CHANNELS; c++)
        if (channel == -1 || channel == c)
            g_volume[c] = v;
}
void play(int channel, int sound, int loops)
{
    g_played.push_back({channel, sound, channel >= 0 ? g_volume[channel] : g_volume[0], loops});
}
const SoundBackend kBackend = {busy, set_volume, play};
int frame() { return g_frame; }

class SoundCore : public testing::Test {
protected:
    void SetUp() override
    {
        sound_set_backend(&kBackend);
        sound_set_frame_source(frame);
        sound_cache_alloc();
        sound_enable();
    }
    void TearDown() override { sound_cache_free(); }
};

} // namespace

// (The busy-channel, forced and scaled-volume rules are checked through the
// real mixer in SoundMixer.DummyDriverPlaysByTheRules.)
TEST_F(SoundCore, VolumeBoundsAndTheForcedTurnAlert)
{
    sound_set_volume(500);
    EXPECT_EQ(sound_volume(), 128);
    sound_disable();
    EXPECT_EQ(sound_volume(), 0);
    EXPECT_EQ(sound_stored_volume(), 128);
    sound_play(2, 11, 1, 1);
    EXPECT_TRUE(g_played.empty());
    EXPECT_FALSE(sound_cache_slot(0, 0)->used);
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
    EXPECT_FALSE(sound_cache_slot(0, 0)->used);
}

TEST_F(SoundCore, ThresholdRowsAreChosenStrictlyBelowTheValue)
{
    const SoundThresholdRow *hits = sound_hits_table();
    EXPECT_EQ(sound_by_threshold(0, -1, 500.0f, hits, 0, 0), -1);   // equal: not chosen
    EXPECT_EQ(sound_by_threshold(0, -1, 500.5f, hits, 0, 0), 4);
    EXPECT_EQ(sound_by_threshold(0, -1, 8000.0f, hits, 0, 0), 1);
    EXPECT_EQ(sound_by_threshold(0, -1, 1e9f, hits, 0, 0), 0);
    EXPECT_EQ(sound_by_threshold(0, -1, 0.5f, sound_ground_table(), 0, 0), -1);
    EXPECT_EQ(sound_by_threshold(0, -1, 1.5f, sound_ground_table(), 0, 0), -1);
    EXPECT_EQ(sound_by_threshold(0, -1, 2.5f, sound_ground_table(), 0, 0), 5);
    ASSERT_EQ(g_played.size(), 4u);
    EXPECT_EQ(g_played[0].sound, 11);
    EXPECT_EQ(g_played[0].volume, 64);
    EXPECT_EQ(g_played[3].sound, 20);
    const SoundThresholdRow empty[] = {{-1, 0, 0, 0}};
    EXPECT_EQ(sound_by_threshold(0, -1, 99.0f, empty, 0, 0), -1);
}

TEST_F(SoundCore, FrameCacheKeepsTheFirstTwoAndReplaysThem)
{
    g_frame = 5;
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
