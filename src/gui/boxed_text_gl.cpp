#include "gui/boxed_text_gl.h"

#include <cstring>

#include "app/base/text_encoding.h"
#include "gui/truetype_font_gl.h"
#include "render/color_state.h"

namespace {

// Units from..to of text as a terminated line in buf.
const uint16_t *segment(const uint16_t *text, int from, int to, uint16_t *buf)
{
    int n = to - from;
    if (n > BOXED_TEXT_UNITS - 1)
        n = BOXED_TEXT_UNITS - 1;
    memcpy(buf, text + from, (size_t)n * sizeof *buf);
    buf[n] = 0;
    return buf;
}

bool fits(const uint16_t *text, int from, int to, int font, float width, uint16_t *buf)
{
    return (float)text_advance_width_wide(font, segment(text, from, to, buf)) <= width;
}

} // namespace

void draw_wrapped_text_wide(const uint16_t *text, float x, float y, float width, float height, float line_height,
                            int font)
{
    if (!text)
        return;
    static uint16_t buf[BOXED_TEXT_UNITS];
    float row = 0;
    int i = 0;
    while (text[i] && row + line_height <= height) {
        // Whole words while they fit.
        int end = i;
        for (int j = i; text[j] && text[j] != '\n';) {
            int k = j;
            while (text[k] == ' ')
                k++;
            while (text[k] && text[k] != ' ' && text[k] != '\n')
                k++;
            if (!fits(text, i, k, font, width, buf))
                break;
            end = j = k;
        }
        // A first word wider than the box: the units that fit, at least one.
        if (end == i && text[i] != '\n') {
            end = i + 1;
            while (text[end] && text[end] != ' ' && text[end] != '\n' && fits(text, i, end + 1, font, width, buf))
                end++;
        }
        if (end > i)
            draw_text_wide(font, segment(text, i, end, buf), x, y + row, current_color());
        row += line_height;
        i = end;
        while (text[i] == ' ')
            i++;
        if (text[i] == '\n')
            i++;
    }
}

void render_boxed_text(const char *text, float x, float y, float width, float height, float line_height, int font)
{
    if (!text)
        return;
    static wchar16 wide[BOXED_TEXT_UNITS];
    local_to_utf16(wide, text, (int)strlen(text), BOXED_TEXT_UNITS);
    draw_wrapped_text_wide(wide, x, y, width, height, line_height, font);
}
