// Per-player and per-user records that game-server lines fill: the RPG
// statistics of each player, the ghost line of the user's equipment and
// the money reply.
#pragma once
#include <cstdint>

#include "game/rpg_stats.h"
#include "net/records/custom_record.h"

enum {
    GHOST_VALUES = 3,
    RPG_MESSAGE_SIZE = 128,
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
// "RPG %i;%i %i %i %i %i %i\n" in a per-thread buffer valid until the next
// call.
const char *format_rpg_message(int player, const RpgStats *stats);

// Reads "%i %i %i" into the buffer and marks it set.
void parse_ghost_line(const char *text, GhostBuffer *buffer);
GhostBuffer *get_ghost_buffer(void);

// Reads "%i %i" and marks the record received (only when both were read).
void parse_money_reply(const char *text, MoneyRecord *money);
MoneyRecord *get_money_record(void);
