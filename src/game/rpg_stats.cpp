#include "game/rpg_stats.h"

#include <cstring>

static RpgStats g_rpg[RPG_PLAYERS];

RpgStats *get_rpg_stats(int player)
{
    if (player < 0 || player >= RPG_PLAYERS)
        return nullptr;
    return &g_rpg[player];
}

void clear_rpg_stats(void) { memset(g_rpg, 0, sizeof g_rpg); }
