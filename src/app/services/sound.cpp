#include "app/services/sound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_state.h"

typedef SoundRow SoundTable[SOUND_COUNT];
static const SoundTable k_sounds = {
    {0, "pain1.wav"}, {1, "pain2.wav"}, {2, "pain3.wav"}, {3, "pain4.wav"},
    {4, "pain5.wav"}, {5, "pain6.wav"}, {6, "pain7.wav"}, {7, "pain8.wav"},
    {8, "body_hit_head1.wav"}, {9, "body_hit_head2.wav"}, {10, "body_hit_head3.wav"},
    {11, "body_hit1.wav"}, {12, "body_hit2.wav"}, {13, "body_hit3.wav"},
    {14, "body_hit4.wav"}, {15, "body_hit5.wav"},
    {16, "body_impact_hard1.wav"}, {17, "body_impact_hard2.wav"},
    {18, "body_impact_soft1.wav"}, {19, "body_impact_soft2.wav"},
    {20, "body_impact_mini1.wav"}, {21, "body_impact_mini2.wav"},
    {22, "body_break_hard1.wav"}, {23, "body_swoosh_hand.wav"},
    {24, "body_swoosh_feet.wav"}, {25, "body_swoosh.wav"}, {26, "footstep.wav"},
    {27, "menu_click.wav"}, {28, "select_player.wav"}, {29, "joint_hold.wav"},
    {30, "button_click.wav"}, {31, "fight_alert.wav"},
    {32, "gameover.wav"}, {33, "foul.wav"}, {34, "splash0.wav"}, {35, "splash1.wav"},
    {36, "splash2.wav"}, {37, "splash3.wav"}, {38, "splash4.wav"}, {39, "splash5.wav"},
    {40, "splash6.wav"}, {41, "splash7.wav"}, {42, "splash8.wav"}, {43, "slowdown.wav"},
    {44, "weapon-hit.wav"}, {45, "weapon-clash.wav"}, {46, "grading.wav"},
    {47, "neck_fracture.wav"},
};

static const SoundThresholdRow k_hits[] = {
    {15, 8000, 1, 1.0f}, {14, 4000, 1, 1.0f}, {13, 2000, 0, 1.0f}, {12, 1000, 0, 1.0f},
    {11, 500, 0, 0.5f}, {-1, 0, 0, 0},
};
static const SoundThresholdRow k_splashes[] = {
    {42, 2500, 0, 0.5f}, {41, 2000, 0, 0.5f}, {40, 1600, 0, 0.4f}, {39, 1300, 0, 0.3f},
    {38, 1000, 0, 0.2f}, {37, 900, 0, 0.2f}, {36, 800, 0, 0.2f}, {35, 700, 0, 0.2f},
    {34, 600, 0, 0.1f}, {-1, 0, 0, 0},
};
static const SoundThresholdRow k_ground[] = {
    {17, 50, 1, 1.0f}, {16, 20, 0, 1.0f}, {19, 10, 0, 1.0f}, {18, 5, 0, 0.2f},
    {21, 3, 0, 0.2f}, {20, 2, 0, 0.2f}, {-1, 0, 0, 0},
};
static const SoundThresholdRow k_pain[] = {
    {7, 100000, 0, 1.0f}, {6, 80000, 0, 1.0f}, {5, 50000, 0, 1.0f}, {4, 10000, 0, 1.0f},
    {3, 3200, 0, 0.5f}, {2, 2500, 0, 0.3f}, {1, 1200, 0, 0.3f}, {0, 800, 0, 0.3f},
    {-1, 0, 0, 0},
};

const SoundRow *sound_table(void) { return k_sounds; }
const SoundThresholdRow *sound_hits_table(void) { return k_hits; }
const SoundThresholdRow *sound_splashes_table(void) { return k_splashes; }
const SoundThresholdRow *sound_ground_table(void) { return k_ground; }
const SoundThresholdRow *sound_pain_table(void) { return k_pain; }

// Sound state: off until the main loop turns it on; the volume is kept
// whether or not sound is on.
static int g_sound_on;
static int g_audio_failed;
static int g_volume = SOUND_VOLUME_MAX;
static const SoundBackend *g_backend;
// Effects are filed under the match frame unless a caller sets its own.
static int game_frame(void) { return get_game_state()->frame; }
static int (*g_frame_source)(void) = game_frame;
// The FrameSoundCache: the effects of each match frame, SOUND_CACHE_SLOTS a frame.
static SoundCacheSlot (*g_cache)[SOUND_CACHE_SLOTS];

void sound_set_backend(const SoundBackend *backend) { g_backend = backend; }
void sound_set_frame_source(int (*frame)(void)) { g_frame_source = frame ? frame : game_frame; }

static int valid_channel(int channel) { return channel >= -1 && channel < SOUND_CHANNELS; }
static int valid_sound(int sound) { return sound >= 0 && sound < SOUND_COUNT; }

void sound_play_ex(int channel, int sound, int forced, float scale, int loop, int record)
{
    if (!g_sound_on || !valid_channel(channel) || !valid_sound(sound))
        return;
    const float level = (float)g_volume * scale;
    if (!(level > 0.0f))
        return;
    const int loops = loop ? -1 : 0;
    if (g_backend && (forced || channel == -1 || !g_backend->channel_playing(channel))) {
        int v = (int)level;
        g_backend->set_volume(channel, v > SOUND_VOLUME_MAX ? SOUND_VOLUME_MAX : v);
        g_backend->play(channel, sound, loops);
    }
    if (record)
        sound_cache_record(g_frame_source(), channel, sound, forced, scale);
}

void sound_play(int channel, int sound, int forced, int record)
{
    sound_play_ex(channel, sound, forced, 1.0f, 0, record);
}

void sound_play_scaled(int channel, int sound, int forced, float ignored, int record)
{
    (void)ignored;
    sound_play_ex(channel, sound, forced, 1.0f, 0, record);
}

void sound_loop(int channel, int sound)
{
    if (g_sound_on && g_backend && valid_channel(channel) && valid_sound(sound))
        g_backend->play(channel, sound, -1);
}

void play_turn_alert_sound(void) { sound_play(7, SOUND_FIGHT_ALERT, 1, 0); }

void sound_set_volume(int v)
{
    g_volume = v < 0 ? 0 : v > SOUND_VOLUME_MAX ? SOUND_VOLUME_MAX : v;
    if (g_sound_on && g_backend)
        g_backend->set_volume(-1, g_volume);
}

int sound_volume(void) { return g_sound_on ? g_volume : 0; }
int sound_stored_volume(void) { return g_volume; }

void sound_enable(void)
{
    if (!g_audio_failed)
        g_sound_on = 1;
}

void sound_disable(void) { g_sound_on = 0; }

void sound_mark_failed(void)
{
    g_audio_failed = 1;
    g_sound_on = 0;
}

void sound_mark_opened(void) { g_audio_failed = 0; }

int sound_is_on(void) { return g_sound_on; }
int sound_audio_failed(void) { return g_audio_failed; }

int sound_by_threshold(int channel, int last, float value, const SoundThresholdRow *table,
                       int loop, int record)
{
    if (!table || table[0].id == -1 || value < 1.0f)
        return -1;
    int row = -1;
    for (int i = 0; table[i].id != -1; i++) {
        if (table[i].threshold < value) {
            row = i;
            break;
        }
    }
    if (row < 0 || row == last)
        return -1;
    sound_play_ex(channel, table[row].id, table[row].forced, table[row].scale, loop, record);
    return row;
}

void sound_cache_alloc(void)
{
    if (!g_cache)
        g_cache = static_cast<SoundCacheSlot(*)[SOUND_CACHE_SLOTS]>(
            calloc(SOUND_CACHE_FRAMES, sizeof *g_cache));
    if (!g_cache)
        fprintf(stderr, "Out of memory for the frame sound cache\n");
}

void sound_cache_clear(void)
{
    if (g_cache)
        memset(g_cache, 0, SOUND_CACHE_FRAMES * sizeof *g_cache);
}

void sound_cache_free(void)
{
    free(g_cache);
    g_cache = nullptr;
}

void sound_cache_record(int frame, int channel, int sound, int forced, float scale)
{
    if (!g_cache || frame < 0 || frame >= SOUND_CACHE_FRAMES)
        return;
    for (SoundCacheSlot &slot : g_cache[frame]) {
        if (!slot.used) {
            slot = SoundCacheSlot{1, channel, sound, forced, scale};
            return;
        }
    }
}

void sound_cache_play(int frame)
{
    if (!g_cache || frame < 0 || frame >= SOUND_CACHE_FRAMES)
        return;
    for (const SoundCacheSlot &slot : g_cache[frame]) {
        if (slot.used)
            sound_play_ex(slot.channel, slot.sound, slot.forced, slot.scale, 0, 0);
    }
}

const SoundCacheSlot *sound_cache_slot(int frame, int slot)
{
    if (!g_cache || frame < 0 || frame >= SOUND_CACHE_FRAMES || slot < 0 || slot >= SOUND_CACHE_SLOTS)
        return nullptr;
    return &g_cache[frame][slot];
}
