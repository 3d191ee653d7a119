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
    int from_custom;             // 1 while the customisation sets the slot
    int next;                    // ring index of the next particle
    FlameParticle particles[FLAME_PARTICLES];
};

// System k (0..9): fighter k / 5, slot k % 5; none outside.
FlameSystem *get_flame_system(int k);
// Sets a slot on a body (-1 turns it off) with a colour.
void flame_set(int fighter, int slot, int body, const float *rgba);
// The parameters of a customisation flame the emitter reads: the body it
// burns at (0..20) and its colour in hundredths (an alpha of 0 or less
// burns opaque).
enum { FLAME_PARAM_BODY, FLAME_PARAM_RED, FLAME_PARAM_GREEN, FLAME_PARAM_BLUE, FLAME_PARAM_ALPHA };
// Each fighter's five slots from its customisation record: a flame the
// record sets burns at its body in its colour; a slot the record set
// before and no longer sets goes out. Slots set with flame_set are left.
void apply_flames(void);
// Per frame: the slots from the customisations, then every set slot of a
// fighter with a flame texture emits one particle at its body; all age and
// rise.
void flames_update(void);
// Empties every system and turns every slot off.
void flames_clear(void);
// Whether fighter 0 or 1 has its flame texture loaded (the drawing tells);
// only such a fighter's flames burn.
void flames_set_fighter_texture(int fighter, int loaded);
int flames_fighter_has_texture(int fighter);
