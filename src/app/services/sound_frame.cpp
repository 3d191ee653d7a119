#include "app/services/sound_frame.h"

#include <cmath>

#include "app/services/sound.h"
#include "game/blood.h"
#include "game/game_state.h"

// The swing, pain, hit, ground and head events follow the first two
// fighters (their channels are 0..3); breaks are heard from every fighter.
enum { LIMBS = 4, EVENT_FIGHTERS = 2 };

static int event_fighters(void)
{
    const int n = fighter_count();
    return n < EVENT_FIGHTERS ? n : EVENT_FIGHTERS;
}

// What the sound events remember of each fighter between frames.
struct FighterSoundMemory {
    float ground_prev;          // ground speed at the last check
    float head_last;            // head impact at the last head sound
    float injury_last;          // injury at the last head sound
    float score_pain_last;      // score at the last pain check
    float score_hit_last;       // score at the last hit check
    int breaks_last;            // broken-joint count at the last break sound
    double limb_sum[LIMBS];     // speed sums of the running window
    double limb_prev[LIMBS];    // the previous window's sums
};

static FighterSoundMemory g_memory[MAX_FIGHTERS];
static int g_pain_last = -1;
static int g_ground_last = -1;
static int g_splash_last_row = -1;
static double g_splash_last;

// Left foot, right foot, left hand, right hand: feet first, so that a hand
// swing wins when both choose.
static const int k_limbs[LIMBS] = {L_FOOT, R_FOOT, L_HAND, R_HAND};

static double body_speed(const Player *p, int body)
{
    if (!p->bodies[body])
        return 0.0;
    const dReal *v = dBodyGetLinearVel(p->bodies[body]);
    return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void sound_break_one(int fighter)
{
    if (fighter < 0 || fighter >= MAX_FIGHTERS)
        return;
    Player *p = get_player(fighter);
    if (!p)
        return;
    FighterSoundMemory &m = g_memory[fighter];
    const int fresh = p->broken_joints - m.breaks_last;
    if (fresh > 0) {
        const int sound = fresh < 11 ? p->pending_sound : SOUND_SLOWDOWN;
        sound_play(6, sound, 1, 1);
    }
    m.breaks_last = p->broken_joints;
}

void sound_breaks(void)
{
    for (int i = 0; i < fighter_count(); i++)
        sound_break_one(i);
}

// A new match starts at frame 1: what was remembered of the last one would
// only produce stray effects.
static void restart_memory(void)
{
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        FighterSoundMemory &m = g_memory[i];
        m = FighterSoundMemory{};
        Player *p = i < fighter_count() ? get_player(i) : nullptr;
        if (p) {
            m.ground_prev = p->ground_speed;
            m.head_last = p->head_impact;
            m.injury_last = p->injury;
            m.score_pain_last = p->score;
            m.score_hit_last = p->score;
            m.breaks_last = p->broken_joints;
        }
    }
    g_pain_last = -1;
    g_ground_last = 0;   // the first row waits until another row has played
}

// Swings of fighter i; returns 1 when one played.
static int swing_sound(Player *p, FighterSoundMemory &m, int i, int f)
{
    for (int k = 0; k < LIMBS; k++)
        m.limb_sum[k] += body_speed(p, k_limbs[k]);
    if (f % 10 != 0)
        return 0;
    int chosen = -1;
    for (int k = 0; k < LIMBS; k++) {
        const double d = (m.limb_sum[k] - m.limb_prev[k]) * 16.666666521794266;
        m.limb_prev[k] = m.limb_sum[k];
        m.limb_sum[k] = 0.0;
        if (k < 2 && d > 1000.0)
            chosen = SOUND_SWOOSH_FEET;
        if (k >= 2 && d > 1500.0)
            chosen = SOUND_SWOOSH_HAND;
    }
    if (chosen < 0)
        return 0;
    sound_play_ex(i + 2, chosen, 1, 1.0f, 0, 1);
    return 1;
}

static void fighter_sounds(Player *p, int i, int f)
{
    FighterSoundMemory &m = g_memory[i];
    if (!swing_sound(p, m, i, f) && f % 20 == 0) {
        const int row = sound_by_threshold(i + 2, g_pain_last, p->score - m.score_pain_last,
                                           sound_pain_table(), 0, 1);
        if (row >= 0)
            g_pain_last = row;
        m.score_pain_last = p->score;
    }

    int hit = -1;
    if (f % 3 == 0) {
        const float d = p->score - m.score_hit_last;
        m.score_hit_last = p->score;
        hit = sound_by_threshold(i, -1, d, sound_hits_table(), 0, 1);
    }
    if (hit < 0 && f % 2 == 0) {
        const float d = (p->ground_speed - m.ground_prev) * 0.5f;
        m.ground_prev = p->ground_speed;
        p->ground_speed = 0.0f;
        const int row = sound_by_threshold(0, g_ground_last, d, sound_ground_table(), 0, 1);
        if (row >= 0)
            g_ground_last = row;
    }
}

// Head hits on channel 4: fighter 1 first, fighter 0 when 1 played nothing.
static void head_sounds(void)
{
    for (int i = event_fighters() - 1; i >= 0; i--) {
        Player *p = get_player(i);
        if (!p)
            continue;
        FighterSoundMemory &m = g_memory[i];
        const float head = p->head_impact - m.head_last;
        const float injury = p->injury - m.injury_last;
        int sound = -1, forced = 1;
        if (injury > 10.0f)
            sound = SOUND_WEAPON_CLASH;
        else if (head > 100.0f)
            sound = 10;
        else if (head > 30.0f)
            sound = 9;
        else if (head > 5.0f) {
            sound = 8;
            forced = 0;
        }
        m.head_last = p->head_impact;
        m.injury_last = p->injury;
        if (sound >= 0) {
            sound_play(4, sound, forced, 1);
            return;
        }
    }
}

static void splash_sounds(int f)
{
    if (f == 1) {
        g_splash_last = 0.0;
        g_splash_last_row = -1;
        reset_blood_splash(0.0);
    }
    if (f % 4 != 0)
        return;
    const double v = get_blood_splash();
    double d = v - g_splash_last;
    if (g_splash_last == 0.0 && v > 10.0)
        d += 100.0;
    const int row = sound_by_threshold(6, g_splash_last_row, (float)d, sound_splashes_table(), 0, 1);
    if (row >= 0)
        g_splash_last_row = row;
    g_splash_last = v;
    reset_blood_splash(0.0);
}

void sound_update_frame(WorldState *w)
{
    if (!w || w->ghost_mode != 0)
        return;
    const int f = w->frame;
    if (f == 1)
        restart_memory();
    sound_breaks();
    for (int i = 0; i < event_fighters(); i++) {
        Player *p = get_player(i);
        if (p)
            fighter_sounds(p, i, f);
    }
    if (f % 3 == 0)
        head_sounds();
    splash_sounds(f);
}
