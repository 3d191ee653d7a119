// The SDL_mixer side of the sound effects: opens the audio device in the
// game's format, loads the 48 effects and installs itself as the playback
// interface of the sound core. Lives in the window library.
#pragma once

enum {
    SOUND_MIX_RATE = 22050,
    SOUND_MIX_CHANNELS = 2,
    SOUND_MIX_CHUNK_BYTES = 4096,
};

// Starts SDL's audio part when needed and opens the mixer (22050 Hz, signed
// 16-bit little-endian, stereo, 4096-byte chunks). On failure prints
// "Unable to open audio: %s\n", marks audio failed and returns 1.
int sound_mixer_open(void);
// Loads "data/sounds/%s" for every row of the sound table, in row order; a
// file that fails prints "Mix_LoadWAV: %s %s\n" and its chunk stays empty.
// Returns the number of effects loaded.
int sound_mixer_load_all(void);
// Closes the mixer and frees every chunk; the sound core is left without a
// playback interface.
void sound_mixer_close(void);
