#include "particles/flames.h"

#include <cstring>

#include "game/game_state.h"

static FlameSystem g_systems[FLAME_SYSTEMS];

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
    if (rgba)
        memcpy(s->color, rgba, sizeof s->color);
}

void flames_update(void)
{
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
        if (s.body < 0 || !pl || !pl->bodies[s.body])
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
