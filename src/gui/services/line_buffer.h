// The chat input line buffer: a fixed number of 16-bit lines of 257 units.
#pragma once
#include <cstdint>

enum {
    LINE_BUFFER_LINES = 32,
    LINE_BUFFER_UNITS = 257,
};

struct LineBuffer {
    int32_t count;
    uint16_t **lines;   // count lines of LINE_BUFFER_UNITS units, zero-filled

    explicit LineBuffer(int lines);
    ~LineBuffer();
    LineBuffer(const LineBuffer &) = delete;
    LineBuffer &operator=(const LineBuffer &) = delete;
};

// Frees every line and the array; count 0 and a null array afterwards.
// Safe to call more than once.
void line_buffer_destroy(LineBuffer *buffer);

// Line i, null when i is outside 0..count-1.
uint16_t *line_buffer_line(LineBuffer *buffer, int i);
