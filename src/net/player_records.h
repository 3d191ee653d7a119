// Per-player and per-user records that game-server lines fill: the RPG
// statistics of each player, the ghost line of the user's equipment and
// the money reply.
#pragma once
#include <cstdint>

#include "net/custom_record.h"

enum {
    RPG_STATS = 6,
    RPG_PLAYERS = CUSTOM_PLAYERS,
    GHOST_VALUES = 3,
    RPG_MESSAGE_SIZE = 128,
};

// The six RPG statistics in order: velocity percentage, joint dm_threshold,
// strength percentage, body proportion percentages x, y, z.
struct RpgStats {
    int32_t value[RPG_STATS];
};

struct GhostBuffer {
    int32_t value[GHOST_VALUES];
    int32_t set;
};

struct MoneyRecord {
    int32_t value[2];
    int32_t received;          // 1 once a reply arrived
};

// Reads "%i %i %i %i %i %i"; values missing from the text keep their old
// contents.
void parse_rpg_stats(const char *text, RpgStats *stats);
// Player i's statistics, or null outside 0 .. RPG_PLAYERS - 1.
RpgStats *get_rpg_stats(int player);
// "RPG %i;%i %i %i %i %i %i\n" in a per-thread buffer valid until the next
// call.
const char *format_rpg_message(int player, const RpgStats *stats);
// Every player's statistics back to zero.
void clear_rpg_stats(void);

// Reads "%i %i %i" into the buffer and marks it set.
void parse_ghost_line(const char *text, GhostBuffer *buffer);
GhostBuffer *get_ghost_buffer(void);

// Reads "%i %i" and marks the record received (only when both were read).
void parse_money_reply(const char *text, MoneyRecord *money);
MoneyRecord *get_money_record(void);
