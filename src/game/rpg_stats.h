// The RPG statistics of each player of an rpg match, as the game server
// sends them; the match start scales the mod world by them.
#pragma once
#include <cstdint>

#include "game/match_rules.h"

enum { RPG_STATS = 6, RPG_PLAYERS = RULES_PLAYER_SLOTS };

// The six RPG statistics in order: velocity percentage, joint dm_threshold,
// strength percentage, body proportion percentages x, y, z.
struct RpgStats {
    int32_t value[RPG_STATS];
};

// Player i's statistics, or null outside 0 .. RPG_PLAYERS - 1.
RpgStats *get_rpg_stats(int player);
// Every player's statistics back to zero.
void clear_rpg_stats(void);
