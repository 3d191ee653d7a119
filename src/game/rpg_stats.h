// What the game server tells of each player of an rpg match: the six RPG
// statistics, and the player's rpg joint table (the RPG_STRENGTH, RPG_SPEED
// and RPG_DM_THRESH lines). The rpg match start builds the world from both
// (rpg_scale_world, match_start.h).
#pragma once
#include <cstdint>

#include "game/body_defs.h"
#include "game/match_rules.h"

enum { RPG_STATS = 6, RPG_PLAYERS = RULES_PLAYER_SLOTS, RPG_JOINTS = 20 };

// The six RPG statistics in order: velocity percentage, joint dm_threshold,
// strength percentage, body proportion percentages x, y, z.
struct RpgStats {
    int32_t value[RPG_STATS];
};

// Player i's statistics, or null outside 0 .. RPG_PLAYERS - 1.
RpgStats *get_rpg_stats(int player);
// Every player's statistics back to zero.
void clear_rpg_stats(void);

// ---- the rpg joint table ----
// Per player RPG_JOINTS JointDef rows: the built-in joint rows until the
// lines fill their strength, velocity or dm_threshold. Only the values a
// line gave (per joint and field) count: apply_rpg_joint_table copies those
// and leaves every other value of the world's rows as the mod made it.
enum RpgJointField {
    RPG_JOINT_STRENGTH = 1,       // motor force limit, >= 0
    RPG_JOINT_VELOCITY = 2,       // motor speed
    RPG_JOINT_DM_THRESHOLD = 4,   // percent, -1 the rules' value
};

// Player i's RPG_JOINTS rows, or null outside 0 .. RPG_PLAYERS - 1.
const JointDef *get_rpg_joint_table(int player);
// Stores values[0..n-1] (n at most RPG_JOINTS) as one field of joints
// 0..n-1; a value the field cannot take (a negative strength, a threshold
// below -1, a non-finite number) is dropped with a message. Returns 1 for a
// bad player or field, else 0.
int set_rpg_joint_values(int player, int field, const double *values, int n);
// The RpgJointField bits of joint j that lines have filled (0 for bad indices).
int rpg_joint_filled(int player, int j);
// Copies the filled values of the player's table into joints (RPG_JOINTS rows).
void apply_rpg_joint_table(int player, JointDef *joints);
// Every table back to the built-in rows, nothing filled.
void clear_rpg_joint_tables(void);
