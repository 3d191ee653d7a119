#include <GL/glew.h>

#include <gtest/gtest.h>

#include <SDL.h>

#include "render/chat_cache.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/surface_util.h"
#include "window/gl_context.h"

namespace {

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

} // namespace
