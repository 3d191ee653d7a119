#include <GL/glew.h>

#include "gui/chat_draw_gl.h"

#include "app/base/options.h"
#include "app/base/utils.h"
#include "gui/chat_view.h"
#include "gui/truetype_font_gl.h"
#include "render/chat_cache.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/shapes_gl.h"

namespace {

enum { ROW_TEXT_SEL = 79, ROW_MSG_URLSEL = 94 };

ChatBox g_box;

int advance_of(int font, uint16_t ch) { return glyph_advance(font, ch); }

// The row's units behind the markup that sets the font and colour the
// line had where the row starts.
const uint16_t *row_text(const ChatLine *line, const ChatRow *r, uint16_t *buf, int size)
{
    int n = 0;
    if (r->font >= 2 && r->font <= 9) {
        buf[n++] = '~';
        buf[n++] = (uint16_t)('0' + r->font);
    }
    if (r->colour >= 0 && r->colour <= 99) {
        buf[n++] = '^';
        buf[n++] = (uint16_t)('0' + r->colour / 10);
        buf[n++] = (uint16_t)('0' + r->colour % 10);
    }
    for (int i = r->start; i < r->end && i < CHAT_LINE_UNITS && n < size - 1; i++)
        buf[n++] = line->text[i];
    buf[n] = 0;
    return buf;
}

} // namespace

void chat_draw(int x, int y, int mode) { chat_draw_rows(x, y, mode, 0, CHAT_VISIBLE_MAX); }

void chat_draw_rows(int x, int y, int mode, int first, int end)
{
    chat_view_update(advance_of);
    ScrollList *list = chat_current_scroll();
    const int line_h = chat_line_height();
    list->x = x;
    list->y = y;
    list->width = chat_wrap_width();
    list->row_height = line_h;
    int rows = list->count - list->offset;
    rows = rows < 0 ? 0 : rows > list->visible ? list->visible : rows;
    rows = rows > CHAT_VISIBLE_MAX ? CHAT_VISIBLE_MAX : rows;
    g_box = ChatBox{};
    g_box.x = x;
    g_box.y = y;
    g_box.w = list->width;
    g_box.h = rows * line_h;
    g_box.rows = rows;
    g_box.row_h = line_h;

    GLint view[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, view);
    static ChatLine line;
    static uint16_t buf[CHAT_LINE_UNITS + 8];
    first = first < 0 ? 0 : first;
    end = end > rows ? rows : end;
    for (int row = first; row < end; row++) {
        const int i = list->offset + row;
        g_box.row_inside[row] = mode != CHAT_DRAW_TEXT_SURFACE;
        const ChatRow *r = chat_view_row(i);
        if (!r || chat_view_row_line(i, &line) != 0)
            continue;
        int colour = chat_type_colour(line.type);
        const float ry = (float)(y + row * line_h);
        int right = x;
        if (row == list->cursor) {
            int start = -1, end = -1;
            find_url_span(line.text, &start, &end);
            if (start >= 0)
                colour = ROW_MSG_URLSEL;
            if (mode != CHAT_DRAW_TEXT_SURFACE) {
                float sel[3];
                get_color_rgb(ROW_TEXT_SEL, sel);
                glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
                glDisable(GL_TEXTURE_2D);
                glEnable(GL_BLEND);
                glColor4f(sel[0], sel[1], sel[2], 0.25f);
                fill_rect_2d((float)x - 2, ry, (float)list->width + 4, (float)line_h);
                glPopAttrib();
                right = x + list->width + 2;
            }
        }
        row_text(&line, r, buf, (int)(sizeof buf / sizeof buf[0]));
        if (mode == CHAT_DRAW_TEXT_SURFACE) {
            set_color_index(colour);
            const int to = draw_text_color_codes(glyph_cell_surface, nullptr, x, (int)ry, buf, view[3]);
            right = to > right ? to : right;
        } else {
            float rgba[4] = {0, 0, 0, 1};
            get_color_rgb(colour, rgba);
            float ink[2];
            const int to = x + draw_text_wide_ink(FONT_NORMAL, buf, (float)x, ry, rgba, ink);
            right = to > right ? to : right;
            g_box.row_inside[row] = ink[0] >= ry && ink[1] <= ry + (float)line_h;
        }
        g_box.row_right[row] = right;
    }
}

ChatBox chat_drawn_box(void) { return g_box; }
void chat_set_drawn_box(const ChatBox &box) { g_box = box; }
