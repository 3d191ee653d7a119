// Dismemberment, fracture and bleeding: when a joint breaks, what a break
// does to the fighter, and the bleeding of dismembered joints.
#pragma once
#include "game/game_state.h"

// A break announced by the game server, applied once the match frame
// reaches its frame.
struct PendingBreak {
    int32_t type;    // 0 none, 1 dismember, 2 fracture
    int32_t frame;   // due frame
};

// Points a break of joint j costs: NECK 15000, the wrists 2000, others 5000.
int break_points(int j);
// The squared force at which fighter i's joint j dismembers or fractures at
// the given hinge angle; 0 for a bad index.
double dismember_threshold(int i, int j, double angle);
double fracture_threshold(int i, int j, double angle);

// Breaks fighter i's joint j: 1 dismember, 2 fracture, 0 only counts the
// break. Returns 1 for a bad fighter, joint or type.
int break_joint(int i, int j, int type);
int dismember_fighter_joint(int i, int j);

// After each live step in single play with dismemberment or fracture on:
// harm marks and forces past the thresholds break fighter i's joints.
void check_joint_breaks(int i);

// Network play: the server's breaks due at or before this frame.
PendingBreak *get_pending_breaks(int i);   // 20 records, none for a bad index
int set_pending_break(int i, int j, int type, int frame);
void clear_pending_breaks(void);
void apply_pending_breaks(int frame);

// Body fracture events: a body part marked here waits until the next
// recorded replay frame takes the event (value 1) and clears it.
int mark_body_fracture(int i, int body);   // 1 for a bad fighter or body
int take_body_fracture(int i, int body);   // the event, now cleared
void clear_body_fractures(void);

// bleed (bleed.h) for every dismembered joint of every fighter.
void bleed_dismembered_joints(void);
