#include "app/sound_mixer_sdl.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdio>

#include "app/services/sound.h"
#include "render/rw_regular.h"

static Mix_Chunk *g_chunks[SOUND_COUNT];
static int g_mixer_open;
static int g_started_audio;

static int mixer_channel_playing(int channel) { return Mix_Playing(channel); }
static void mixer_set_volume(int channel, int volume) { Mix_Volume(channel, volume); }

static void mixer_play(int channel, int sound, int loops)
{
    if (sound >= 0 && sound < SOUND_COUNT && g_chunks[sound])
        Mix_PlayChannel(channel, g_chunks[sound], loops);
}

static const SoundBackend k_mixer_backend = {
    mixer_channel_playing,
    mixer_set_volume,
    mixer_play,
};

int sound_mixer_open(void)
{
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
            fprintf(stderr, "Unable to open audio: %s\n", SDL_GetError());
            sound_mark_failed();
            return 1;
        }
        g_started_audio = 1;
    }
    if (Mix_OpenAudio(SOUND_MIX_RATE, AUDIO_S16LSB, SOUND_MIX_CHANNELS, SOUND_MIX_CHUNK_BYTES) < 0) {
        fprintf(stderr, "Unable to open audio: %s\n", Mix_GetError());
        sound_mark_failed();
        return 1;
    }
    g_mixer_open = 1;
    sound_mark_opened();
    Mix_AllocateChannels(SOUND_CHANNELS);
    sound_set_backend(&k_mixer_backend);
    return 0;
}

int sound_mixer_load_all(void)
{
    if (!g_mixer_open)
        return 0;
    int loaded = 0;
    const SoundRow *rows = sound_table();
    for (int i = 0; i < SOUND_COUNT; i++) {
        char path[256];
        snprintf(path, sizeof path, "data/sounds/%s", rows[i].file);
        if (g_chunks[i])
            Mix_FreeChunk(g_chunks[i]);
        // Opened by us, so that only a regular file is read and a FIFO
        // with a sound's name cannot hold the start-up.
        SDL_RWops *rw = rw_open_regular(path);
        g_chunks[i] = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (g_chunks[i])
            loaded++;
        else
            fprintf(stderr, "Mix_LoadWAV: %s %s\n", path, Mix_GetError());
    }
    return loaded;
}

void sound_mixer_close(void)
{
    sound_set_backend(nullptr);
    if (g_mixer_open)
        Mix_HaltChannel(-1);
    for (Mix_Chunk *&chunk : g_chunks) {
        if (chunk)
            Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    if (g_mixer_open) {
        Mix_CloseAudio();
        g_mixer_open = 0;
    }
    if (g_started_audio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_started_audio = 0;
    }
}
