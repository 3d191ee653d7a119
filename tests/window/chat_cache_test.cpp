#include <GL/glew.h>

#include <gtest/gtest.h>

#include <SDL.h>
#include <string>
#include <vector>

#include "app/base/options.h"
#include "gui/chat_draw_gl.h"
#include "gui/chat_view.h"
#include "gui/menu_overlay_gl.h"
#include "gui/services/chat_log.h"
#include "gui/truetype_font_gl.h"
#include "render/chat_cache.h"
#include "render/shapes_gl.h"
#include "support/test_support.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/surface_util.h"
#include "window/gl_context.h"

namespace {

// What the chat is drawn with: the fonts of the run folder (the working
// directory), the colour table, the text surface and the off-screen
// framebuffer.
void open_chat_surfaces(void)
{
    ASSERT_EQ(init_font_ttf(), 0);
    color_table_reset();
    ASSERT_TRUE(create_text_surface());
    ASSERT_TRUE(create_chat_framebuffer());
}

void close_chat_surfaces(void)
{
    free_text_surface();
    delete_chat_framebuffer();
    free_fonts();
}

// A 4 x 4 opaque glyph for every character, advancing 5 pixels.
SDL_Surface *g_glyph = nullptr;
SDL_Surface *square(void *, uint16_t, int *advance)
{
    SDL_FillRect(g_glyph, nullptr, SDL_MapRGBA(g_glyph->format, 200, 200, 200, 255));
    *advance = 5;
    return g_glyph;
}

const uint16_t *u16(const char *s)
{
    static uint16_t buf[64];
    int i = 0;
    for (; s[i] && i < 63; i++)
        buf[i] = (uint8_t)s[i];
    buf[i] = 0;
    return buf;
}

TEST(ChatCache, ColourCodesRecolourTheGlyphsThatFollow)
{
    kxtest::GlContext gl;
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    color_table_reset();
    g_glyph = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    ASSERT_TRUE(create_text_surface());
    set_color_index(2);
    // Window height 512: window point (x, y) is surface point (x, y).
    EXPECT_EQ(draw_text_color_codes(square, nullptr, 10, 20, u16("a^99b^9c"), 512), 10 + 5 * 5);
    SDL_Surface *s = text_surface();
    struct { int x; int row; } cases[] = {{11, 2}, {16, 99}, {21, 99}, {26, 99}};  // "^9c" drawn
    for (auto c : cases) {
        Uint8 r, g, b, a;
        SDL_GetRGBA(surface_get_pixel(s, c.x, 21), s->format, &r, &g, &b, &a);
        float want[3];
        get_color_rgb(c.row, want);
        EXPECT_EQ(r, color_byte(want[0])) << c.x;
        EXPECT_EQ(g, color_byte(want[1])) << c.x;
        EXPECT_EQ(a, 255);
    }
    // Reads and writes outside the surface touch nothing.
    for (int p : {-1, (int)CHAT_CACHE_SIDE, 1 << 20}) {
        surface_put_pixel(s, p, 0, 0xFFFFFFFF);
        surface_put_pixel(s, 0, p, 0xFFFFFFFF);
        EXPECT_EQ(surface_get_pixel(s, p, 5), 0u);
        EXPECT_EQ(surface_get_pixel(s, 5, p), 0u);
    }
    upload_text_surface();
    std::vector<uint8_t> px(CHAT_CACHE_SIDE * CHAT_CACHE_SIDE * 4);
    glBindTexture(GL_TEXTURE_2D, text_surface_texture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    EXPECT_EQ(px[4 * (21 * CHAT_CACHE_SIDE + 16) + 0], color_byte(get_color(99)[0]));

    ASSERT_TRUE(create_chat_framebuffer());
    bind_framebuffer();
    unbind_framebuffer();
    unsigned names[CHAT_CACHE_NAMES];
    chat_cache_names(names);
    free_text_surface();
    delete_chat_framebuffer();
    EXPECT_FALSE(glIsTexture(names[0]));
    EXPECT_FALSE(glIsTexture(names[1]));
    EXPECT_FALSE(glIsRenderbuffer(names[2]));
    EXPECT_FALSE(glIsFramebuffer(names[3]));
    EXPECT_FALSE(glIsTexture(names[4]));
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
    SDL_FreeSurface(g_glyph);
}

// Each chat cache (screen grab, text surface, framebuffer) and the live
// chat show the same dark rows over a white window, in a window taller
// than the text surface's placement once lost them; nothing is drawn
// below the rows.
TEST(ChatCache, EveryModeShowsTheRowsInTheirBox)
{
    kxtest::GlContext gl(400, 700);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    ASSERT_NO_FATAL_FAILURE(open_chat_surfaces());
    chat_init();
    chat_update_layout(font_height(FONT_NORMAL), 400, 700);
    for (int i = 0; i < 3; i++)
        console_echo("WWWW MMMM WWWW MMMM", MSG_NOTYPE);
    std::vector<uint8_t> px(400 * 700 * 4);
    for (int mode : {1, 2, 3, 0}) {
        option_set(OPT_CHATCACHE, mode);
        chat_mark_redraw();
        glViewport(0, 0, 400, 700);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_menu_background();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        push_ortho_2d(400, 700);
        hud_draw_chat(700);
        pop_ortho_2d();
        glReadPixels(0, 0, 400, 700, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        const ChatBox box = chat_drawn_box();
        EXPECT_EQ(box.y, CHAT_Y);
        EXPECT_EQ(box.h, 3 * font_height(FONT_NORMAL));
        int inside = 0, below = 0;
        for (int y = 0; y < 700; y++)
            for (int x = 0; x < 400; x++) {
                const uint8_t *p = &px[4 * ((size_t)(699 - y) * 400 + x)];
                const bool dark = p[0] < 80 && p[1] < 80 && p[2] < 80;
                inside += dark && y >= box.y && y < box.y + box.h;
                below += dark && y >= box.y + box.h + 4;
            }
        EXPECT_GT(inside, 200) << "mode " << mode;
        EXPECT_EQ(below, 0) << "mode " << mode;
    }
    close_chat_surfaces();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

} // namespace

// The cache drawn band by band over the rows' drawing shows the very
// pixels the whole box shows, for short and long rows, larger fonts and a
// selected row, while covering less of the window.
TEST(ChatCache, RowBandsShowWhatTheWholeBoxShows)
{
    kxtest::GlContext gl(400, 700);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    ASSERT_NO_FATAL_FAILURE(open_chat_surfaces());
    chat_init();
    chat_update_layout(font_height(FONT_NORMAL), 400, 700);
    const char *lines[] = {"ok", "~3Wjy fgq ~2large", "a longer line of the chat that wraps once it is past the width",
                           "^05w", "j"};
    for (const char *l : lines)
        console_echo(l, MSG_INGAME);
    ScrollList *list = chat_current_scroll();
    std::vector<uint8_t> banded(400 * 700 * 4), whole(banded.size());
    for (int mode : {2, 3}) {
        for (int cursor : {-1, 1}) {
            option_set(OPT_CHATCACHE, mode);
            chat_view_update(glyph_advance);
            list->cursor = cursor;
            chat_mark_redraw();
            glViewport(0, 0, 400, 700);
            draw_menu_background();
            const ChatBox box = chat_drawn_box();
            ASSERT_GT(box.rows, 3);
            for (std::vector<uint8_t> *px : {&banded, &whole}) {
                glClearColor(1, 1, 1, 1);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                push_ortho_2d(400, 700);
                if (px == &banded) {
                    hud_draw_chat(700);
                } else {
                    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT |
                                 GL_CURRENT_BIT);
                    glEnable(GL_BLEND);
                    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                    if (mode == 2)
                        draw_text_surface_rect(700, box.x - 2, box.y, box.w + 4, box.h + 4);
                    else
                        draw_chat_framebuffer_rect(box.x - 2, box.y, box.w + 4, box.h + 4);
                    glPopAttrib();
                }
                pop_ortho_2d();
                glReadPixels(0, 0, 400, 700, GL_RGBA, GL_UNSIGNED_BYTE, px->data());
            }
            int dark = 0, differ = 0;
            for (size_t i = 0; i < banded.size(); i += 4) {
                dark += banded[i] < 128;
                differ += banded[i] != whole[i] || banded[i + 1] != whole[i + 1] || banded[i + 2] != whole[i + 2];
            }
            EXPECT_GT(dark, 100) << "mode " << mode;
            EXPECT_EQ(differ, 0) << "mode " << mode << " cursor " << cursor;
            ChatRect bands[CHAT_VISIBLE_MAX];
            const int n = chat_cache_bands(box, bands);
            EXPECT_EQ(n, box.rows);
            long area = 0;
            for (int i = 0; i < n; i++)
                area += (long)bands[i].w * bands[i].h;
            if (cursor < 0) {
                EXPECT_LT(area, (long)(box.w + 4) * (box.h + 4) * 3 / 4) << "mode " << mode;
            }
        }
    }
    // A fill with fewer rows leaves nothing of the fuller one where the
    // list's rows may be drawn from: the cache is transparent below its rows.
    option_set(OPT_CHATCACHE, 3);
    list->cursor = -1;
    chat_clear_all();
    console_echo("one", MSG_INGAME);
    chat_mark_redraw();
    draw_menu_background();
    ASSERT_EQ(chat_drawn_box().rows, 1);
    unsigned names[CHAT_CACHE_NAMES];
    chat_cache_names(names);
    std::vector<uint8_t> tex(CHAT_CACHE_SIDE * CHAT_CACHE_SIDE * 4);
    glBindTexture(GL_TEXTURE_2D, names[1]);     // the framebuffer's texture
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const int line_h = chat_line_height(), first_free = CHAT_Y + 2 * line_h;
    int left_over = 0, kept = 0;
    for (int y = CHAT_Y; y < CHAT_Y + list->visible * line_h + 4; y++)
        for (int x = 0; x < CHAT_CACHE_SIDE; x++) {
            const uint8_t a = tex[4 * ((size_t)(CHAT_CACHE_SIDE - 1 - y) * CHAT_CACHE_SIDE + x) + 3];
            left_over += y >= first_free && a != 0;
            kept += y < CHAT_Y + line_h && a != 0;
        }
    EXPECT_EQ(left_over, 0);
    EXPECT_GT(kept, 10);

    ChatBox empty = {};
    empty.x = 8;
    empty.y = 80;
    empty.w = 100;
    ChatRect one[CHAT_VISIBLE_MAX];
    ASSERT_EQ(chat_cache_bands(empty, one), 1);
    EXPECT_EQ(one[0].w, 104);
    EXPECT_EQ(one[0].h, 4);
    close_chat_surfaces();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

// The framebuffer cache of a scrolled chat (its kept rows moved, the new
// ones drawn) holds the pixels and the rows' box a whole fill of the same
// view gives: scrolling forwards and back by one row and by several, to the
// end, with rows of a bigger font among them and without.
TEST(ChatCache, AScrolledCacheHoldsWhatAWholeFillHolds)
{
    kxtest::GlContext gl(400, 700);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    ASSERT_NO_FATAL_FAILURE(open_chat_surfaces());
    option_set(OPT_CHATCACHE, 3);
    chat_init();
    chat_update_layout(font_height(FONT_NORMAL), 400, 700);
    glViewport(0, 0, 400, 700);
    ScrollList *list = chat_current_scroll();
    list->cursor = -1;
    std::vector<uint8_t> scrolled(CHAT_CACHE_SIDE * CHAT_CACHE_SIDE * 4), whole(scrolled.size());
    unsigned names[CHAT_CACHE_NAMES];
    auto cache = [&](std::vector<uint8_t> *px) {
        chat_cache_names(names);
        glBindTexture(GL_TEXTURE_2D, names[1]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px->data());
        glBindTexture(GL_TEXTURE_2D, 0);
    };
    for (int big : {0, 1}) {
        chat_clear_all();
        for (int i = 0; i < 60; i++) {
            std::string l = "line " + std::to_string(i) + " ^0" + std::to_string(i % 10) + "Wjy gq|";
            if (big && i % 7 == 3)
                l += " ~3Large";
            console_echo(l.c_str(), i % 2 ? MSG_INGAME : MSG_WHISPER);
        }
        chat_view_update(glyph_advance);
        list->offset = 0;
        chat_mark_redraw();
        draw_menu_background();
        for (int offset : {1, 2, 5, 4, 1, 9, 10, list->count - 3, list->count - 1, 3, 0}) {
            list->offset = offset;
            chat_view_update(glyph_advance);
            draw_menu_background();
            const ChatBox moved = chat_drawn_box();
            cache(&scrolled);
            chat_mark_redraw();
            draw_menu_background();
            const ChatBox filled = chat_drawn_box();
            cache(&whole);
            ASSERT_GT(filled.rows, 0);
            const int top = CHAT_Y, bottom = CHAT_Y + list->visible * filled.row_h + 4;
            int differ = 0, ink = 0;
            for (int y = top; y < bottom; y++)
                for (int x = 0; x < CHAT_CACHE_SIDE; x++) {
                    const size_t at = 4 * ((size_t)(CHAT_CACHE_SIDE - 1 - y) * CHAT_CACHE_SIDE + x);
                    ink += whole[at + 3] != 0;
                    for (int c = 0; c < 4; c++)
                        differ += scrolled[at + c] != whole[at + c];
                }
            EXPECT_GT(ink, 100);
            EXPECT_EQ(differ, 0) << "big " << big << " offset " << offset;
            EXPECT_EQ(moved.rows, filled.rows);
            for (int r = 0; r < filled.rows; r++)
                EXPECT_EQ(moved.row_right[r], filled.row_right[r]) << r;
        }
        // Rows of one size all stay inside their rows: their scrolls moved
        // the cache's rows.
        chat_cache_names(names);
        if (!big) {
            EXPECT_NE(names[5], 0u);
        }
    }
    free_text_surface();
    delete_chat_framebuffer();
    EXPECT_FALSE(glIsTexture(names[5]));
    EXPECT_FALSE(glIsFramebuffer(names[6]));
    free_fonts();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}
