// Limb trails: a ring of segments per trail, fed from the fighters' hand and
// foot bodies once per live frame.
#include "particles/limb_trails.h"
#include <cstring>
#include "game/game_state.h"

static const int k_limb_bodies[TRAIL_LIMBS] = {R_HAND, L_HAND, R_FOOT, L_FOOT};

static LimbTrail g_trails[TRAIL_COUNT];
static bool g_ready;

static void init_trails(void)
{
    if (g_ready)
        return;
    memset(g_trails, 0, sizeof g_trails);
    for (int i = 0; i < TRAIL_FIGHTERS; i++) {
        for (int k = 0; k < TRAIL_LIMBS; k++) {
            LimbTrail &t = g_trails[i * TRAIL_LIMBS + k];
            t.fighter = i;
            t.body = k_limb_bodies[k];
            t.length = TRAIL_DEFAULT_LENGTH;
            for (int c = 0; c < 4; c++)
                t.head_color[c] = t.tail_color[c] = 1.0f;
            t.tail_color[3] = 0.0f;
        }
    }
    g_ready = true;
}

void LimbTrail::set_colors(const float *head_rgba, const float *tail_rgba)
{
    if (head_rgba)
        memcpy(head_color, head_rgba, sizeof head_color);
    if (tail_rgba)
        memcpy(tail_color, tail_rgba, sizeof tail_color);
    colors_set = 1;
}

LimbTrail *get_limb_trail(int fighter, int k)
{
    init_trails();
    if (fighter < 0 || fighter >= TRAIL_FIGHTERS || k < 0 || k >= TRAIL_LIMBS)
        return nullptr;
    return &g_trails[fighter * TRAIL_LIMBS + k];
}

int trail_limb_body(int k) { return (k >= 0 && k < TRAIL_LIMBS) ? k_limb_bodies[k] : -1; }

const TrailSegment *trail_segment(const LimbTrail *t, int s)
{
    if (!t || s < 0 || s >= t->count)
        return nullptr;
    return &t->segments[(t->head - s + TRAIL_CAPACITY) % TRAIL_CAPACITY];
}

void trail_set_length(LimbTrail *t, int length)
{
    if (!t)
        return;
    if (length < 1)
        length = 1;
    if (length > TRAIL_CAPACITY)
        length = TRAIL_CAPACITY;
    t->length = length;
    if (t->count > length)
        t->count = length;
}

void trails_update(void)
{
    init_trails();
    const int n = get_game_state()->players;
    for (int i = 0; i < TRAIL_FIGHTERS; i++) {
        const Player *p = i < n ? get_player(i) : nullptr;
        for (int k = 0; k < TRAIL_LIMBS; k++) {
            LimbTrail &t = g_trails[i * TRAIL_LIMBS + k];
            // Age what is there; the oldest fall off the end by `length`.
            for (int s = 0; s < t.count; s++)
                t.segments[(t.head - s + TRAIL_CAPACITY) % TRAIL_CAPACITY].age++;
            if (!p || !p->bodies[t.body])
                continue;
            const double *pos = dBodyGetPosition(p->bodies[t.body]);
            t.head = (t.head + 1) % TRAIL_CAPACITY;
            TrailSegment &seg = t.segments[t.head];
            for (int c = 0; c < 3; c++)
                seg.pos[c] = (float)pos[c];
            seg.age = 0;
            if (t.count < t.length)
                t.count++;
        }
    }
}

void trails_reset(void)
{
    init_trails();
    for (LimbTrail &t : g_trails) {
        t.count = 0;
        t.head = 0;
        memset(t.segments, 0, sizeof t.segments);
    }
}
