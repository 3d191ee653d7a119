// One entry of the bout list as the game server sends it.
#pragma once
#include <cstdint>

enum {
    BOUT_LINE_ENTRIES = 32,
    BOUT_LINE_NAME_SIZE = 256,
};

// One BOUT line from the game server: "%i %i %i %i %i %i %s %i".
struct BoutLine {
    int32_t server_id;
    int32_t qi;
    int32_t streak;
    int32_t winnings;
    int32_t flags;
    int32_t word5;             // sixth number, kept as sent
    char name[BOUT_LINE_NAME_SIZE];
    int32_t word7;             // number after the name, kept as sent
    int32_t used;              // 1 in a stored entry
};
