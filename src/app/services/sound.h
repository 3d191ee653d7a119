// Sound effects: the 48 numbered effects, the play rule (an unforced effect
// does not interrupt a playing channel), the threshold tables that turn a
// match's events into effects, and the frame sound cache that replays the
// effects of a frame shown again. This is the core: it makes no mixer call
// itself but goes through a small playback interface, so a headless match
// can call sound_play without any audio library.
#pragma once

enum {
    SOUND_COUNT = 48,
    SOUND_CHANNELS = 8,
    SOUND_VOLUME_MAX = 128,
    SOUND_CACHE_FRAMES = 2048,
    SOUND_CACHE_SLOTS = 2,
};

// Ids used by name outside the threshold tables.
enum SoundId {
    SOUND_BREAK = 22,
    SOUND_SWOOSH_HAND = 23,
    SOUND_SWOOSH_FEET = 24,
    SOUND_MENU_CLICK = 27,
    SOUND_SELECT_PLAYER = 28,
    SOUND_BUTTON_CLICK = 30,
    SOUND_FIGHT_ALERT = 31,
    SOUND_GAMEOVER = 32,
    SOUND_SLOWDOWN = 43,
    SOUND_WEAPON_CLASH = 45,
    SOUND_GRADING = 46,
    SOUND_NECK_FRACTURE = 47,
};

struct SoundRow {
    int id;
    const char *file;     // under "data/sounds/"
};

// One row of a threshold table; a table ends with a row whose id is -1.
struct SoundThresholdRow {
    int id;
    float threshold;
    int forced;
    float scale;
};

// The 48 rows, in load order.
const SoundRow *sound_table(void);
const SoundThresholdRow *sound_hits_table(void);
const SoundThresholdRow *sound_splashes_table(void);
const SoundThresholdRow *sound_ground_table(void);
const SoundThresholdRow *sound_pain_table(void);

// What the core needs of a mixer. Channel -1 means any free channel (for
// set_volume: every channel). loops -1 plays without end.
struct SoundBackend {
    int (*channel_playing)(int channel);
    void (*set_volume)(int channel, int volume);
    void (*play)(int channel, int sound, int loops);
};
// Installs the playback interface (null: none; every play does nothing).
void sound_set_backend(const SoundBackend *backend);

// The frame counter that recorded effects are filed under: the game state's
// frame unless another source is set (null restores the game state's).
void sound_set_frame_source(int (*frame)(void));

void sound_play_ex(int channel, int sound, int forced, float scale, int loop, int record);
void sound_play(int channel, int sound, int forced, int record);
void sound_play_scaled(int channel, int sound, int forced, float ignored, int record);
void sound_loop(int channel, int sound);
void play_turn_alert_sound(void);

// Stores v clamped to 0..128; while sound is on also sets every channel.
void sound_set_volume(int v);
// The stored volume while sound is on, else 0.
int sound_volume(void);
// The stored volume whatever the sound state (what the settings keep).
int sound_stored_volume(void);
void sound_enable(void);
void sound_disable(void);
void sound_mark_failed(void);
// The mixer opened: an earlier failure to open it no longer keeps sound off.
void sound_mark_opened(void);
int sound_is_on(void);
int sound_audio_failed(void);

// Plays the first row whose threshold is strictly below value, unless it is
// the row given as last; returns the row index played or -1.
int sound_by_threshold(int channel, int last, float value, const SoundThresholdRow *table,
                       int loop, int record);

// The frame sound cache: 2048 frames of two slots.
void sound_cache_alloc(void);
void sound_cache_clear(void);
void sound_cache_free(void);
void sound_cache_record(int frame, int channel, int sound, int forced, float scale);
void sound_cache_play(int frame);

struct SoundCacheSlot {
    int used;
    int channel;
    int sound;
    int forced;
    float scale;
};
// Slot of a frame (null outside the cache or when it is not allocated).
const SoundCacheSlot *sound_cache_slot(int frame, int slot);
