// Flames: a small particle system per flame slot (5 per fighter) that
// emits at a body of its fighter while the slot is set, rises and fades.
#pragma once

enum {
    FLAME_SLOTS = 5,
    FLAME_SYSTEMS = 10,          // 5 slots x 2 fighters
    FLAME_PARTICLES = 64,        // particles one system holds
    FLAME_LIFE = 30,             // frames a particle lives
};

struct FlameParticle {
    float pos[3];
    float vel[3];
    int age;                     // frames lived; dead at FLAME_LIFE
};

struct FlameSystem {
    int fighter;
    int body;                    // body emitted at; -1: the slot is off
    float color[4];
    int next;                    // ring index of the next particle
    FlameParticle particles[FLAME_PARTICLES];
};

// System k (0..9): fighter k / 5, slot k % 5; none outside.
FlameSystem *get_flame_system(int k);
// Sets a slot on a body (-1 turns it off) with a colour.
void flame_set(int fighter, int slot, int body, const float *rgba);
// Per frame: every set slot emits one particle at its body; all age and rise.
void flames_update(void);
// Empties every system and turns every slot off.
void flames_clear(void);
