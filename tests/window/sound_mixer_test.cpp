#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/services/sound.h"
#include "app/sound_mixer_sdl.h"
#include "game/game_state.h"
#include "support/test_support.h"

// The sound effects through the real SDL_mixer: the dummy audio driver for
// the play rules, the disk driver to hear what was actually mixed.
namespace {

std::string wav_data(const std::string &path)
{
    std::string wav = kxtest::read_file(path);
    size_t at = wav.find("data");
    return at == std::string::npos ? std::string() : wav.substr(at + 8);
}

std::string effect_data(int id)
{
    return wav_data(std::string(KX_RUN_DIR) + "/data/sounds/" + sound_table()[id].file);
}

void wait_until_quiet(int channel)
{
    for (int i = 0; i < 400 && Mix_Playing(channel); i++)
        SDL_Delay(10);
}

} // namespace

TEST(SoundFiles, FortyEightDistinctEffectsInTheMixerFormat)
{
    std::vector<std::string> data;
    for (int id = 0; id < SOUND_COUNT; id++) {
        std::string path = std::string(KX_RUN_DIR) + "/data/sounds/" + sound_table()[id].file;
        std::string wav = kxtest::read_file(path);
        ASSERT_GT(wav.size(), 44u) << path;
        EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
        uint16_t channels, bits;
        uint32_t rate;
        memcpy(&channels, &wav[22], 2);
        memcpy(&rate, &wav[24], 4);
        memcpy(&bits, &wav[34], 2);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(rate, 22050u);
        EXPECT_EQ(bits, 16);
        data.push_back(wav_data(path));
        double seconds = (double)data.back().size() / (22050.0 * 4);
        EXPECT_GT(seconds, 0.02) << path;
        EXPECT_LT(seconds, 1.5) << path;
    }
    for (int a = 0; a < SOUND_COUNT; a++)
        for (int b = a + 1; b < SOUND_COUNT; b++)
            EXPECT_NE(data[a], data[b]) << a << " and " << b;
}

TEST(SoundMixer, DummyDriverPlaysByTheRules)
{
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(sound_mixer_open(), 0);
    EXPECT_EQ(sound_mixer_load_all(), SOUND_COUNT);
    sound_set_volume(SOUND_VOLUME_MAX);
    sound_enable();
    sound_cache_alloc();
    get_game_state()->frame = 0;   // the cache records at the game's frame

    sound_play(3, SOUND_FIGHT_ALERT, 0, 0);
    ASSERT_TRUE(Mix_Playing(3));
    Mix_Chunk *bell = Mix_GetChunk(3);
    // Unforced on the busy channel: skipped, still recorded.
    sound_play(3, 13, 0, 1);
    EXPECT_EQ(Mix_GetChunk(3), bell);
    EXPECT_EQ(sound_cache_slot(0, 0)->sound, 13);
    // Forced: the channel changes to the new effect.
    sound_play(3, 13, 1, 0);
    EXPECT_NE(Mix_GetChunk(3), bell);
    // Scaled volume reaches the channel.
    sound_set_volume(100);
    sound_play_ex(5, 11, 1, 0.5f, 0, 0);
    EXPECT_EQ(Mix_Volume(5, -1), 50);
    sound_play_ex(6, 22, 1, 1.0f, 1, 0);
    EXPECT_TRUE(Mix_Playing(6));
    sound_set_volume(0);
    sound_play(4, 11, 1, 0);
    EXPECT_FALSE(Mix_Playing(4));
    sound_mixer_close();
    sound_play(4, 11, 1, 0);    // no mixer any more: nothing happens
    sound_cache_free();
}

TEST(SoundMixer, MissingFilesLeaveTheirChunksEmpty)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(sound_mixer_open(), 0);
    const std::string err = kxtest::stderr_of([&] { EXPECT_EQ(sound_mixer_load_all(), 0); });
    // Said to be missing, not refused as a file of the wrong kind.
    EXPECT_NE(err.find("Mix_LoadWAV: data/sounds/pain1.wav missing (no such file)\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("regular"), std::string::npos) << err;
    sound_enable();
    sound_play(1, 0, 1, 0);
    EXPECT_FALSE(Mix_Playing(1));
    sound_mixer_close();
}

TEST(SoundMixer, NoAudioDeviceMeansSilenceNotFailure)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const std::string err = kxtest::stderr_of([&] { EXPECT_EQ(sound_mixer_open(), 1); });
    EXPECT_EQ(err.rfind("Unable to open audio: ", 0), 0u);
    EXPECT_TRUE(sound_audio_failed());
    sound_enable();
    EXPECT_FALSE(sound_is_on());
    sound_set_volume(90);
    EXPECT_EQ(sound_stored_volume(), 90);
    sound_mixer_close();
}

TEST(SoundMixer, DiskDriverWritesTheExpectedEffect)
{
    kxtest::TempDir out;
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    std::string raw = out.file("mixed.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    ASSERT_EQ(sound_mixer_open(), 0);
    ASSERT_EQ(sound_mixer_load_all(), SOUND_COUNT);
    sound_set_volume(SOUND_VOLUME_MAX);   // compared sample for sample below
    sound_enable();
    play_turn_alert_sound();
    ASSERT_TRUE(Mix_Playing(7));
    wait_until_quiet(7);
    sound_mixer_close();

    std::string stream = kxtest::read_file(raw);
    std::string bell = effect_data(SOUND_FIGHT_ALERT);
    ASSERT_GT(bell.size(), 20000u);
    // A stretch from inside the bell, sample for sample (full volume, one
    // channel playing, the file already in the mixer's format).
    std::string part = bell.substr(8000, 8000);
    EXPECT_NE(stream.find(part), std::string::npos);
    std::string other = effect_data(SOUND_GAMEOVER).substr(8000, 8000);
    EXPECT_EQ(stream.find(other), std::string::npos);
}
