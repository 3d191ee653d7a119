// Stances: named poses of a fighter (orientation and position of all 21
// bodies) in 32 slots.
#pragma once
#include "game/game_state.h"

enum { STANCE_SLOTS = 32, STANCE_NAME_SIZE = 256 };

struct StanceSlot {
    char name[STANCE_NAME_SIZE];   // empty: free slot
    double quat[BODY_COUNT][4];    // w, x, y, z
    double pos[BODY_COUNT][3];
};

StanceSlot *get_stance_slot(int i);
void clear_stance_slots(void);
// Stores the fighter's pose under name; returns the slot, -1 when refused.
int store_stance_pose(int fighter, const char *name);
// The first slot with an empty name, 0 when none is free.
int find_free_stance_slot(void);
void stance_hold_motors(int fighter);
// Puts the fighter's bodies into the slot's pose moved by the offset.
int apply_stance(int fighter, int slot, double ox, double oy, double oz);
int load_stance(const char *name);
int save_stance(void);
