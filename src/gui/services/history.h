// The typed-line history of the chat and console input: the last 128 lines,
// kept across runs in `history.log` (UTF-8, one line per line, oldest first).
#pragma once
#include <cstdint>

enum {
    HISTORY_LINES = 128,
    HISTORY_LINE_UNITS = 257,   // 16-bit units, terminator included
};

// Adds a typed line; an empty line is not kept. When full, the oldest line
// gives way.
void history_add(const uint16_t *line);
void history_clear(void);
int history_count(void);
// Line i, 0 the oldest; null outside 0..count-1.
const uint16_t *history_line(int i);

// Replaces the history with the lines of history.log in the working folder
// (the newest 128 when it holds more); empty lines are skipped; a missing
// file leaves the history empty.
void history_load(void);
// Writes the history to history.log. The file is written beside the old one
// and renamed over it, so a failed write never loses the saved history.
void history_save(void);
