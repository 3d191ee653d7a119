#include <GL/glew.h>

#include "gui/menu_overlay_gl.h"

#include "app/base/options.h"
#include "gui/chat_draw_gl.h"
#include "gui/chat_view.h"
#include "gui/hud_gl.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/chat_cache.h"
#include "render/shapes_gl.h"

// The cache that holds the chat now (the chatcache mode that filled it,
// 0 for none) and the list's view it was filled with.
static int g_filled;
static ScrollList g_filled_view;
static int g_filled_tab = -1;
static ChatBox g_filled_box;        // the rows' box of the last framebuffer fill

static bool view_changed(void)
{
    const ScrollList *l = chat_current_scroll();
    const bool changed = chat_current_tab() != g_filled_tab || l->offset != g_filled_view.offset ||
                         l->cursor != g_filled_view.cursor || l->count != g_filled_view.count ||
                         l->visible != g_filled_view.visible;
    g_filled_tab = chat_current_tab();
    g_filled_view = *l;
    return changed;
}

static void draw_chat_gl(void) { chat_draw(CHAT_X, CHAT_Y, CHAT_DRAW_GL); }

// The framebuffer cache filled again for a view that only scrolled since
// it was filled (by moved = the new offset less the old): the rows both
// views show are moved in the cache and only the others drawn. Needs
// every row the two views have in common to have stayed inside its own
// row (nothing of a neighbour in it, nothing of it outside), so that the
// pixels come out as a whole fill gives them: false when a row of either
// view did not (the cache is then to be filled whole), or the selected
// row is among the shown ones.
static bool scroll_chat_framebuffer(const ChatBox &old, int moved, int clear_bottom)
{
    const ScrollList *l = chat_current_scroll();
    const int h = chat_line_height();
    if (moved == 0 || old.row_h != h || old.x != CHAT_X || old.y != CHAT_Y || h <= 0)
        return false;
    int rows = l->count - l->offset;
    rows = rows < 0 ? 0 : rows > l->visible ? l->visible : rows;
    rows = rows > CHAT_VISIBLE_MAX ? CHAT_VISIBLE_MAX : rows;
    if (l->cursor >= 0 && l->cursor < CHAT_VISIBLE_MAX)
        return false;
    // New row r shows old row r + moved.
    const int first = moved < 0 ? -moved : 0;
    const int end = old.rows - moved < rows ? old.rows - moved : rows;
    if (end - first <= 0)
        return false;
    for (int r = 0; r < old.rows; r++)
        if (!old.row_inside[r])
            return false;
    const int top = CHAT_Y + first * h, bottom = CHAT_Y + end * h;
    if (!chat_framebuffer_move(top + moved * h, bottom + moved * h, -moved * h))
        return false;
    if (top > CHAT_Y) {
        chat_framebuffer_begin(CHAT_Y, top);
        chat_framebuffer_end();
    }
    chat_framebuffer_begin(bottom, clear_bottom);
    chat_draw_rows(CHAT_X, CHAT_Y, CHAT_DRAW_GL, 0, first);
    ChatBox box = chat_drawn_box();
    chat_draw_rows(CHAT_X, CHAT_Y, CHAT_DRAW_GL, end, CHAT_VISIBLE_MAX);
    chat_framebuffer_end();
    // The box as a whole fill leaves it: the kept rows' entries are the
    // old ones, the drawn rows' from their draws.
    const ChatBox tail = chat_drawn_box();
    for (int r = end; r < CHAT_VISIBLE_MAX; r++) {
        box.row_right[r] = tail.row_right[r];
        box.row_inside[r] = tail.row_inside[r];
    }
    for (int r = first; r < end; r++) {
        box.row_right[r] = old.row_right[r + moved];
        box.row_inside[r] = old.row_inside[r + moved];
    }
    bool ok = true;
    for (int r = 0; r < box.rows; r++)
        ok = ok && box.row_inside[r];
    chat_set_drawn_box(box);
    return ok;
}

void draw_menu_background(void)
{
    // Scrolling and selecting change what the chat shows as much as a new
    // line does. A scroll alone (nothing else asked for the fill) may move
    // what the framebuffer cache holds.
    const bool asked = chat_needs_redraw();
    const ScrollList before = g_filled_view;
    const int before_tab = g_filled_tab;
    if (view_changed())
        chat_mark_redraw();
    if (!chat_needs_redraw())
        return;
    const ScrollList *now = chat_current_scroll();
    const bool scrolled_only = !asked && g_filled == 3 && before_tab == chat_current_tab() &&
                               before.cursor == now->cursor && before.count == now->count &&
                               before.visible == now->visible && before.width == chat_wrap_width() &&
                               before.offset != now->offset;
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    unsigned names[CHAT_CACHE_NAMES];
    chat_cache_names(names);
    const int mode = option_get(OPT_CHATCACHE);
    g_filled = 0;
    if (mode == 1 && names[4]) {
        // Laid out first (the rows' box), then drawn twice and grabbed.
        push_ortho_2d((float)view[2], (float)view[3]);
        draw_chat_gl();
        const ChatBox box = chat_drawn_box();
        chat_grab(box.x - 2, box.y, box.w + 4, box.h + 4, draw_chat_gl);
        pop_ortho_2d();
        g_filled = 1;
    } else if (mode == 2 && text_surface()) {
        clear_text_surface();
        push_ortho_2d((float)view[2], (float)view[3]);
        chat_draw(CHAT_X, CHAT_Y, CHAT_DRAW_TEXT_SURFACE);
        pop_ortho_2d();
        upload_text_surface();
        g_filled = 2;
    } else if (mode == 3 && names[0]) {
        // Cleared where the HUD draws the cache from: the rows the list
        // shows and the 4 pixels below them.
        const int shown = chat_current_scroll()->visible;
        const int rows = shown < 0 ? 0 : shown > CHAT_VISIBLE_MAX ? CHAT_VISIBLE_MAX : shown;
        const int clear_bottom = CHAT_Y + rows * chat_line_height() + 4;
        if (!scrolled_only ||
            !scroll_chat_framebuffer(g_filled_box, now->offset - before.offset, clear_bottom)) {
            chat_framebuffer_begin(CHAT_Y, clear_bottom);
            draw_chat_gl();
            chat_framebuffer_end();
        }
        g_filled_box = chat_drawn_box();
        g_filled = 3;
    }
    view_changed();
    chat_redraw_done();
}

void hud_draw_chat(int height)
{
    const int mode = option_get(OPT_CHATCACHE);
    if (mode != g_filled || mode < 1 || mode > 3) {
        // No cache holds the chat (or another one than the option asks
        // for now): drawn live, and refilled at the next frame.
        if (mode >= 1 && mode <= 3)
            chat_mark_redraw();
        draw_chat_gl();
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (mode == 1) {
        draw_chat_grab();
    } else {
        // Only the rows' drawn part of the cache: elsewhere it is
        // transparent, and every pixel drawn from it costs a blend.
        ChatRect bands[CHAT_VISIBLE_MAX];
        const int n = chat_cache_bands(chat_drawn_box(), bands);
        for (int i = 0; i < n; i++) {
            const ChatRect &b = bands[i];
            if (mode == 2)
                draw_text_surface_rect(height, b.x, b.y, b.w, b.h);
            else
                draw_chat_framebuffer_rect(b.x, b.y, b.w, b.h);
        }
    }
    glPopAttrib();
}

int chat_cache_bands(const ChatBox &box, ChatRect *out)
{
    // The box as a whole: from 2 pixels left of the rows to 2 right of
    // their width, 4 below the last row.
    const int left = box.x - 2 < 0 ? 0 : box.x - 2, box_right = box.x + box.w + 2;
    if (box.rows <= 0 || box.row_h <= 0) {
        out[0] = {left, box.y, box_right - left, box.h + 4};
        return box_right > left ? 1 : 0;
    }
    // One band a row. A glyph may reach past its advance and into the rows
    // next to it: each band is as wide as its own and its neighbours'
    // drawing, and a row's height beyond that.
    int n = 0;
    for (int r = 0; r < box.rows && r < CHAT_VISIBLE_MAX; r++) {
        int right = box.row_right[r];
        if (r > 0 && box.row_right[r - 1] > right)
            right = box.row_right[r - 1];
        if (r + 1 < box.rows && box.row_right[r + 1] > right)
            right = box.row_right[r + 1];
        right += box.row_h;
        right = right > box_right ? box_right : right;
        const int top = box.y + r * box.row_h;
        const int bottom = r + 1 == box.rows ? box.y + box.h + 4 : top + box.row_h;
        if (right > left)
            out[n++] = {left, top, right - left, bottom - top};
    }
    return n;
}

// The main menu covers the stopped world: a shade over the last cleared
// frame and the game's name above the menu window.
static void draw_main_menu_backdrop(void)
{
    const float w = (float)option_get(OPT_WIDTH), h = (float)option_get(OPT_HEIGHT);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.15f, 0.15f, 0.2f, 0.85f);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(0, h);
    glVertex2f(w, h);
    glVertex2f(w, 0);
    glEnd();
    static const float white[4] = {1, 1, 1, 1};
    const char *title = "KAELMUND";
    draw_text(FONT_BIG, title, (w - (float)text_width(FONT_BIG, title)) / 2, h / 6, white);
}

void menu_install_draw_hooks(void)
{
    menu_rows_init();
    menu_state_row(MENU_MAIN)->draw2d = draw_main_menu_backdrop;
}
