// Text wrapped to a box: whole words per line where they fit, a word
// wider than the box cut where it reaches the edge, line ends kept; the
// lines that fit the box's height are drawn, the rest left out.
#pragma once
#include <cstdint>

enum { BOXED_TEXT_UNITS = 1024 };

// 16-bit text (its first BOXED_TEXT_UNITS - 1 units per line) in the
// current colour, top left at (x, y).
void draw_wrapped_text_wide(const uint16_t *text, float x, float y, float width, float height, float line_height,
                            int font);
// Locale text converted into BOXED_TEXT_UNITS units and drawn wrapped; a
// null text draws nothing.
void render_boxed_text(const char *text, float x, float y, float width, float height, float line_height, int font);
