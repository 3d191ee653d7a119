#include "particles/flames.h"

#include <cstring>

#include "game/game_state.h"
#include "net/records/custom_record.h"

static FlameSystem g_systems[FLAME_SYSTEMS];
static int g_has_texture[FLAME_SYSTEMS / FLAME_SLOTS];

void flames_set_fighter_texture(int fighter, int loaded)
{
    if (fighter >= 0 && fighter < FLAME_SYSTEMS / FLAME_SLOTS)
        g_has_texture[fighter] = loaded != 0;
}

int flames_fighter_has_texture(int fighter)
{
    return fighter >= 0 && fighter < FLAME_SYSTEMS / FLAME_SLOTS && g_has_texture[fighter];
}

FlameSystem *get_flame_system(int k)
{
    return k >= 0 && k < FLAME_SYSTEMS ? &g_systems[k] : nullptr;
}

void flames_clear(void)
{
    memset(g_systems, 0, sizeof g_systems);
    for (int k = 0; k < FLAME_SYSTEMS; k++) {
        g_systems[k].fighter = k / FLAME_SLOTS;
        g_systems[k].body = -1;
        for (FlameParticle &p : g_systems[k].particles)
            p.age = FLAME_LIFE;
    }
}

void flame_set(int fighter, int slot, int body, const float *rgba)
{
    FlameSystem *s = get_flame_system(fighter * FLAME_SLOTS + slot);
    if (!s || slot < 0 || slot >= FLAME_SLOTS)
        return;
    s->body = body >= 0 && body < BODY_COUNT ? body : -1;
    s->from_custom = 0;
    if (rgba)
        memcpy(s->color, rgba, sizeof s->color);
}

void apply_flames(void)
{
    for (int k = 0; k < FLAME_SYSTEMS; k++) {
        FlameSystem &s = g_systems[k];
        const CustomRecord *rec = get_custom_record(s.fighter);
        const FlameRecord *f = rec ? &rec->flame[k % FLAME_SLOTS] : nullptr;
        if (!f || !f->set) {
            if (s.from_custom)
                flame_set(s.fighter, k % FLAME_SLOTS, -1, nullptr);
            continue;
        }
        float rgba[4];
        for (int c = 0; c < 4; c++) {
            const float v = f->value[FLAME_PARAM_RED + c];
            rgba[c] = v < 0 ? 0 : v > 1 ? 1 : v;
        }
        if (f->raw[FLAME_PARAM_ALPHA] <= 0)
            rgba[3] = 1;
        flame_set(s.fighter, k % FLAME_SLOTS, f->raw[FLAME_PARAM_BODY], rgba);
        s.from_custom = 1;
    }
}

void flames_update(void)
{
    apply_flames();
    const int n = get_game_state()->players;
    for (FlameSystem &s : g_systems) {
        for (FlameParticle &p : s.particles) {
            if (p.age >= FLAME_LIFE)
                continue;
            p.age++;
            for (int c = 0; c < 3; c++)
                p.pos[c] += p.vel[c];
            p.vel[2] += 0.001f;
        }
        const Player *pl = s.fighter < n ? get_player(s.fighter) : nullptr;
        if (s.body < 0 || !pl || !pl->bodies[s.body] || !g_has_texture[s.fighter])
            continue;
        const double *at = dBodyGetPosition(pl->bodies[s.body]);
        FlameParticle &p = s.particles[s.next];
        s.next = (s.next + 1) % FLAME_PARTICLES;
        for (int c = 0; c < 3; c++) {
            p.pos[c] = (float)at[c];
            p.vel[c] = 0;
        }
        p.vel[2] = 0.01f;
        p.age = 0;
    }
}
