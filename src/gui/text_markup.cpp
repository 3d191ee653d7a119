#include "gui/text_markup.h"

static int digit(uint16_t c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

void markup_start(MarkupState *st, int font)
{
    st->font = font >= 1 && font <= MARKUP_FONTS ? font : 1;
    st->colour = -1;
}

uint16_t markup_next(const uint16_t *text, int *pos, MarkupState *st)
{
    for (;;) {
        const uint16_t *p = text + *pos;
        if (!p[0])
            return 0;
        if (p[0] == '~' && digit(p[1]) >= 1 && digit(p[1]) <= MARKUP_FONTS) {
            st->font = digit(p[1]);
            *pos += 2;
            continue;
        }
        if (p[0] == '^' && digit(p[1]) >= 0 && digit(p[2]) >= 0) {
            st->colour = digit(p[1]) * 10 + digit(p[2]);
            *pos += 3;
            continue;
        }
        if (p[0] == '!' && digit(p[1]) >= 0 && digit(p[2]) >= 0 && digit(p[3]) >= 0) {
            *pos += 4;
            const int code = digit(p[1]) * 100 + digit(p[2]) * 10 + digit(p[3]);
            if (code)
                return (uint16_t)code;
            continue;
        }
        *pos += 1;
        return p[0];
    }
}
