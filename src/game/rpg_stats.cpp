#include "game/rpg_stats.h"

#include <cmath>
#include <cstdio>
#include <cstring>

static RpgStats g_rpg[RPG_PLAYERS];

RpgStats *get_rpg_stats(int player)
{
    if (player < 0 || player >= RPG_PLAYERS)
        return nullptr;
    return &g_rpg[player];
}

void clear_rpg_stats(void) { memset(g_rpg, 0, sizeof g_rpg); }

// ---- the rpg joint table ----

static JointDef g_joints[RPG_PLAYERS][RPG_JOINTS];
static uint8_t g_filled[RPG_PLAYERS][RPG_JOINTS];
static bool g_joints_ready;

void clear_rpg_joint_tables(void)
{
    for (int p = 0; p < RPG_PLAYERS; p++)
        memcpy(g_joints[p], builtin_joint_table(), sizeof g_joints[p]);
    memset(g_filled, 0, sizeof g_filled);
    g_joints_ready = true;
}

static bool player_ok(int player)
{
    if (player < 0 || player >= RPG_PLAYERS)
        return false;
    if (!g_joints_ready)
        clear_rpg_joint_tables();
    return true;
}

const JointDef *get_rpg_joint_table(int player)
{
    return player_ok(player) ? g_joints[player] : nullptr;
}

int set_rpg_joint_values(int player, int field, const double *values, int n)
{
    if (!player_ok(player) ||
        (field != RPG_JOINT_STRENGTH && field != RPG_JOINT_VELOCITY && field != RPG_JOINT_DM_THRESHOLD))
        return 1;
    for (int j = 0; j < n && j < RPG_JOINTS; j++) {
        const double v = values[j];
        const bool bad = !std::isfinite(v) || std::fabs(v) > 1e9 || (field == RPG_JOINT_STRENGTH && v < 0) ||
                         (field == RPG_JOINT_DM_THRESHOLD && v < -1);
        if (bad) {
            fprintf(stderr, "rpg joint %d of player %d: value %g refused\n", j, player, v);
            continue;
        }
        JointDef &row = g_joints[player][j];
        if (field == RPG_JOINT_STRENGTH)
            row.strength = (float)v;
        else if (field == RPG_JOINT_VELOCITY)
            row.velocity = (float)v;
        else
            row.dm_threshold = (int32_t)v;
        g_filled[player][j] |= (uint8_t)field;
    }
    return 0;
}

int rpg_joint_filled(int player, int j)
{
    return player_ok(player) && j >= 0 && j < RPG_JOINTS ? g_filled[player][j] : 0;
}

void apply_rpg_joint_table(int player, JointDef *joints)
{
    if (!player_ok(player) || !joints)
        return;
    for (int j = 0; j < RPG_JOINTS; j++) {
        const JointDef &row = g_joints[player][j];
        if (g_filled[player][j] & RPG_JOINT_STRENGTH)
            joints[j].strength = row.strength;
        if (g_filled[player][j] & RPG_JOINT_VELOCITY)
            joints[j].velocity = row.velocity;
        if (g_filled[player][j] & RPG_JOINT_DM_THRESHOLD)
            joints[j].dm_threshold = row.dm_threshold;
    }
}
