// Joint states, hinge motors and grips.
#pragma once
#include "game/game_state.h"

int fighter_set_joint_state(int i, int j, int state);
int get_joint_state(int i, int j);
int cycle_joint_state(int reverse, int i, int j);
int toggle_joint_hold_relax(int i, int j);
int toggle_joint_fwd_back(int i, int j);
int set_all_joint_states(int i, int state);
int relax_all(int i);
int drive_joint(int i, int j, int state);
// hand is body 11 (right) or 12 (left); value 0..2.
int set_grip(int i, int hand, int value);
int toggle_grip(int i, int hand);
int apply_grip(int i, int hand, int on);
void apply_all_grips(void);
void clear_player_grips(int i);
int parse_joint_pairs(int i, const char *text);
void apply_pending_wishes(void);
int grip_contact(int i, int other, int hand, int target, const double *point);
// The grip a grab record names (the game server's GRAB line): as a contact
// would make it, always on the live objects, even during a ghost preview.
int grip_from_record(int i, int other, int hand, int target, const double *point);
void delete_player_grip_joints(int i);
void delete_all_grip_joints(void);
// GRIP_LEFT for body 12, GRIP_RIGHT for body 11, -1 for any other body.
int grip_hand_slot(int hand);
