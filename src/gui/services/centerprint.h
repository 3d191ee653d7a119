// Centred message lines over the scene: up to three lines shown for a
// number of seconds (match-start names, the result, the CENTERPRINT line).
#pragma once
#include <cstdint>

#include "game/game_callbacks.h"

enum { CENTERPRINT_MAX_SECONDS = 24 * 60 * 60 };

struct CenterPrint {
    char lines[CENTERPRINT_LINES][CENTERPRINT_LINE_SIZE];   // UTF-8
    int32_t mode;
    int32_t colour;
    uint32_t start_ms;
    uint32_t duration_ms;
};

// Shows the lines (null counts as empty) for the given seconds, kept in
// milliseconds from clock_ms(); negative seconds show nothing, very long
// times are held to a day. The world is not read.
void centerprint(WorldState *world, int mode, int colour, int seconds,
                 const char *line1, const char *line2, const char *line3);
void centerprint_clear(void);

// 1 while the lines are shown.
int centerprint_active(void);
// The current record (lines stay readable after the time ran out).
const CenterPrint *centerprint_state(void);
