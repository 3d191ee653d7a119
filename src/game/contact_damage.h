// What a contact does to the fighters: the dojo and the parts that may touch
// the ground, the harm marks for the break check, and the damage, score, hit
// flash, blood and disqualification that the recorded contacts cause after
// each world step.
#pragma once
#include "game/collision.h"
#include "game/dojo.h"
#include "game/game_state.h"

struct MatchRules;

enum { GROUND_IMPACT_COUNTDOWN = 99 };

// Where a fighter's disqualifying ground contact happened, for the display.
struct GroundImpact {
    int32_t frame;        // -1 none
    double pos[3];
    int32_t colour;       // ColorTable row
    int32_t countdown;    // frames the marker is still shown
};

// 1 when body identifier id (0..40) may touch the ground under the rules'
// sumo value: 0 hands and feet, 1 also the wrist and ankle spheres, else none.
int part_may_touch_ground(int sumo, int id);
// The definition flag of fighter i's part id (BodyDef flag for 0..20,
// JointDef flag for the spheres 21..40); 0 for a bad index.
int part_def_flag(int i, int id);

// After the world step: turns every contact record into damage, score, hit
// flash, blood and disqualification, then empties the records.
void contact_damage(void);
// Once per running world step: the hit flash of every fighter's parts fades
// by 0.95, so the break thresholds read the same value whether or not the
// match is drawn.
void fade_hit_flash(void);

GroundImpact *get_ground_impact(int i);
void record_ground_impact(int i, const double *pos);
// Shows fighter i's ground impact again for the full countdown.
void show_ground_impact(int i);
void clear_ground_impacts(void);

// Network play: when set, this client judges disqualification itself.
void set_local_judging(int on);
int get_local_judging(void);
