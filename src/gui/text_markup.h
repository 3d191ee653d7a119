// Inline markup of drawn text: "~" and a digit 1 to 3 selects the font,
// "^" and two digits a colour row, "!" and three digits stands for the
// character with that code. Anything else, a marker at the end of the text
// included, is drawn as it is.
#pragma once
#include <cstdint>

enum { MARKUP_FONTS = 3 };

struct MarkupState {
    int font;       // 1..3
    int colour;     // colour row, -1 for the caller's colour
};

void markup_start(MarkupState *st, int font);
// The next character to draw from text at *pos (which advances past any
// markup before it), 0 at the end of the text. st takes the font and colour
// changes on the way.
uint16_t markup_next(const uint16_t *text, int *pos, MarkupState *st);
