#include <GL/glew.h>

#include "render/chat_cache.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/base/options.h"
#include "app/base/utils.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/shapes_gl.h"
#include "render/surface_util.h"

static SDL_Surface *g_text = nullptr;
static GLuint g_text_tex = 0;
static GLuint g_fb_tex = 0, g_fb_depth = 0, g_fb = 0;
static GLuint g_grab_tex = 0;
static GLuint g_move_tex = 0, g_move_fb = 0;   // holds the rows a move keeps
static int g_grab_box[4];               // window rectangle the grab holds
static unsigned g_grab_side[2];         // its texture's size
static GLint g_fb_view[4];

bool create_text_surface(void)
{
    free_text_surface();
    g_text = SDL_CreateRGBSurface(SDL_SWSURFACE | SDL_SRCALPHA, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE, 32, 0xFF, 0xFF00,
                                  0xFF0000, 0xFF000000);
    if (!g_text)
        return false;
    glGenTextures(1, &g_text_tex);
    glGenTextures(1, &g_grab_tex);
    g_grab_box[2] = g_grab_box[3] = 0;
    g_grab_side[0] = g_grab_side[1] = 0;
    clear_text_surface();
    return true;
}

void free_text_surface(void)
{
    if (g_text)
        SDL_FreeSurface(g_text);
    g_text = nullptr;
    if (g_text_tex)
        glDeleteTextures(1, &g_text_tex);
    g_text_tex = 0;
    if (g_grab_tex)
        glDeleteTextures(1, &g_grab_tex);
    g_grab_tex = 0;
}

SDL_Surface *text_surface(void) { return g_text; }
unsigned text_surface_texture(void) { return g_text_tex; }

void clear_text_surface(void)
{
    if (g_text)
        SDL_FillRect(g_text, nullptr, SDL_MapRGBA(g_text->format, 255, 255, 255, 0));
}

void upload_text_surface(void)
{
    if (g_text)
        upload_surface_texture(g_text, g_text_tex);
}

void blit_glyph(SDL_Surface *glyph, int x, int y)
{
    if (!g_text || !glyph)
        return;
    const float *c = current_color();
    surface_tint(glyph, c[0], c[1], c[2]);
    // Glyph pixels are copied with their alpha (no blending into the cache).
    SDL_SetAlpha(glyph, 0, 255);
    SDL_Rect at = {(Sint16)x, (Sint16)y, 0, 0};
    SDL_BlitSurface(glyph, nullptr, g_text, &at);
}

static bool digit(uint16_t c) { return c >= '0' && c <= '9'; }

int text_surface_top(int window_height) { return window_height < 512 ? window_height - 512 : 0; }

int draw_text_color_codes(ChatGlyphFn glyph, void *font, int x, int y, const uint16_t *text, int window_height)
{
    const int sy = y - text_surface_top(window_height);
    for (const uint16_t *p = text; p && *p; p++) {
        if (*p == 0xFFFE || *p == 0xFEFF)
            continue;
        if (*p == '^' && digit(p[1]) && digit(p[2])) {
            const int row = (p[1] - '0') * 10 + (p[2] - '0');
            if (row < 126) {
                set_color_index(row);
                p += 2;
                continue;
            }
        }
        int advance = 0;
        SDL_Surface *g = glyph ? glyph(font, *p, &advance) : nullptr;
        blit_glyph(g, x, sy);
        x += advance;
    }
    return x;
}

void draw_text_surface(int window_height)
{
    const int top = text_surface_top(window_height);
    draw_text_surface_rect(window_height, 0, top, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE);
}

void draw_text_surface_rect(int window_height, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    const float side = CHAT_CACHE_SIDE;
    const float s0 = x / side, s1 = (x + w) / side;
    const float t0 = (y - text_surface_top(window_height)) / side, t1 = t0 + h / side;
    set_color_index(1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_text_tex);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0); glVertex2f((float)x, (float)y);
    glTexCoord2f(s1, t0); glVertex2f((float)(x + w), (float)y);
    glTexCoord2f(s1, t1); glVertex2f((float)(x + w), (float)(y + h));
    glTexCoord2f(s0, t1); glVertex2f((float)x, (float)(y + h));
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

// An empty RGBA texture of the cache's size, sampled texel for texel.
static GLuint new_cache_texture(void)
{
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    return tex;
}

bool create_chat_framebuffer(void)
{
    delete_chat_framebuffer();
    g_fb_tex = new_cache_texture();
    glGenRenderbuffers(1, &g_fb_depth);
    glBindRenderbuffer(GL_RENDERBUFFER, g_fb_depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &g_fb);
    glBindFramebuffer(GL_FRAMEBUFFER, g_fb);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g_fb_tex, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, g_fb_depth);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) {
        printf("error\n");
        option_set(OPT_CHATCACHE, 0);
    }
    return complete;
}

void delete_chat_framebuffer(void)
{
    if (g_fb)
        glDeleteFramebuffers(1, &g_fb);
    if (g_fb_depth)
        glDeleteRenderbuffers(1, &g_fb_depth);
    if (g_fb_tex)
        glDeleteTextures(1, &g_fb_tex);
    if (g_move_fb)
        glDeleteFramebuffers(1, &g_move_fb);
    if (g_move_tex)
        glDeleteTextures(1, &g_move_tex);
    g_fb = g_fb_depth = g_fb_tex = 0;
    g_move_fb = g_move_tex = 0;
}

bool chat_framebuffer_move(int top, int bottom, int by)
{
    const int side = CHAT_CACHE_SIDE;
    if (!g_fb || !g_fb_tex || top < 0 || bottom > side || top + by < 0 || bottom + by > side)
        return false;
    if (bottom <= top || by == 0)
        return true;
    if (!g_move_fb) {
        g_move_tex = new_cache_texture();
        glGenFramebuffers(1, &g_move_fb);
        glBindFramebuffer(GL_FRAMEBUFFER, g_move_fb);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g_move_tex, 0);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (!complete) {
            glDeleteFramebuffers(1, &g_move_fb);
            glDeleteTextures(1, &g_move_tex);
            g_move_fb = g_move_tex = 0;
            return false;
        }
    }
    // Through the second texture: a copy within one framebuffer whose
    // source and target overlap is undefined. Window row y is the
    // framebuffer's row side - 1 - y counted upwards; the scissor test
    // would cut the copies.
    const int h = bottom - top, src = side - bottom, dst = side - bottom - by;
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, g_fb);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_move_fb);
    glBlitFramebuffer(0, src, side, src + h, 0, 0, side, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, g_move_fb);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_fb);
    glBlitFramebuffer(0, 0, side, h, 0, dst, side, dst + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glPopAttrib();
    return true;
}

void bind_framebuffer(void)
{
    if (!g_fb)
        glGenFramebuffers(1, &g_fb);
    glBindFramebuffer(GL_FRAMEBUFFER, g_fb);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void unbind_framebuffer(void) { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

// The framebuffer texture's part (s0, t0)-(s1, t1) over the window
// rectangle; t0 is the rectangle's top.
static void draw_fb_part(float x, float y, float w, float h, float s0, float t0, float s1, float t1)
{
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_fb_tex);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Filled over transparent black: its colours are premultiplied.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0); glVertex2f(x, y);
    glTexCoord2f(s1, t0); glVertex2f(x + w, y);
    glTexCoord2f(s1, t1); glVertex2f(x + w, y + h);
    glTexCoord2f(s0, t1); glVertex2f(x, y + h);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

void draw_chat_framebuffer(int window_height)
{
    // The framebuffer's first row is the window's bottom row: the texture
    // is laid upside down against the surface's.
    const float side = CHAT_CACHE_SIDE;
    draw_fb_part(0, (float)(window_height - CHAT_CACHE_SIDE), side, side, 0, 1, 1, 0);
}

void draw_chat_framebuffer_rect(int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    // Filled with window row y at texture row 1024 - y (counted upwards).
    const float side = CHAT_CACHE_SIDE;
    draw_fb_part((float)x, (float)y, (float)w, (float)h, x / side, 1 - y / side, (x + w) / side,
                 1 - (y + h) / side);
}

void chat_framebuffer_begin(int top, int bottom)
{
    glGetIntegerv(GL_VIEWPORT, g_fb_view);
    // The cache is drawn over the scene: it starts transparent, whatever
    // the scene's clear colour is. Only the rows asked for are cleared: a
    // chat scroll fills the cache again, and clearing all of it cost more
    // than drawing the rows.
    const int side = CHAT_CACHE_SIDE;
    top = top < 0 ? 0 : top > side ? side : top;
    bottom = bottom < top ? top : bottom > side ? side : bottom;
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0, 0, 0, 0);
    if (!g_fb)
        glGenFramebuffers(1, &g_fb);
    glBindFramebuffer(GL_FRAMEBUFFER, g_fb);
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, side - bottom, side, bottom - top);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glViewport(0, 0, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE);
    push_ortho_2d(CHAT_CACHE_SIDE, CHAT_CACHE_SIDE);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void chat_framebuffer_end(void)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pop_ortho_2d();
    unbind_framebuffer();
    glViewport(g_fb_view[0], g_fb_view[1], g_fb_view[2], g_fb_view[3]);
}

// The rectangle of the back buffer as RGBA rows from the top.
static void read_rect(int x, int y, int w, int h, std::vector<unsigned char> *px)
{
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    px->assign((size_t)w * h * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    // GL rows count from the bottom.
    std::vector<unsigned char> up((size_t)w * h * 4);
    glReadPixels(x, view[3] - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, up.data());
    for (int r = 0; r < h; r++)
        std::copy(up.begin() + (size_t)(h - 1 - r) * w * 4, up.begin() + (size_t)(h - r) * w * 4,
                  px->begin() + (size_t)r * w * 4);
}

void chat_grab(int x, int y, int w, int h, void (*draw)(void))
{
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    // The rectangle, kept inside the window.
    if (x < 0) { w += x; x = 0; }
    if (y < 0) { h += y; y = 0; }
    if (x + w > view[2]) w = view[2] - x;
    if (y + h > view[3]) h = view[3] - y;
    g_grab_box[0] = x;
    g_grab_box[1] = y;
    g_grab_box[2] = w > 0 ? w : 0;
    g_grab_box[3] = h > 0 ? h : 0;
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    std::vector<unsigned char> over_black, over_white;
    if (g_grab_tex && w > 0 && h > 0) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        read_rect(x, y, w, h, &over_black);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        read_rect(x, y, w, h, &over_white);
    }
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (over_black.empty())
        return;
    // Over black a pixel is c a, over white c a + 1 - a: the coverage is
    // one less their difference, the colour what black shows over it.
    std::vector<unsigned char> px((size_t)w * h * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        int diff = 0;
        for (int c = 0; c < 3; c++)
            diff += over_white[i + c] - over_black[i + c];
        const int a = 255 - (diff < 0 ? 0 : diff > 765 ? 765 : diff) / 3;
        for (int c = 0; c < 3; c++) {
            const int v = a > 0 ? over_black[i + c] * 255 / a : 0;
            px[i + c] = (unsigned char)(v > 255 ? 255 : v);
        }
        px[i + 3] = (unsigned char)a;
    }
    const unsigned tw = next_power_of_two(w), th = next_power_of_two(h);
    glBindTexture(GL_TEXTURE_2D, g_grab_tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (tw != g_grab_side[0] || th != g_grab_side[1]) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, (GLsizei)tw, (GLsizei)th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        g_grab_side[0] = tw;
        g_grab_side[1] = th;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

void draw_chat_grab(void)
{
    const int x = g_grab_box[0], y = g_grab_box[1], w = g_grab_box[2], h = g_grab_box[3];
    if (!g_grab_tex || w <= 0 || h <= 0 || !g_grab_side[0])
        return;
    const float s1 = (float)w / g_grab_side[0], t1 = (float)h / g_grab_side[1];
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_grab_tex);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f((float)x, (float)y);
    glTexCoord2f(s1, 0); glVertex2f((float)(x + w), (float)y);
    glTexCoord2f(s1, t1); glVertex2f((float)(x + w), (float)(y + h));
    glTexCoord2f(0, t1); glVertex2f((float)x, (float)(y + h));
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}

void chat_cache_names(unsigned *names)
{
    names[0] = g_text_tex;
    names[1] = g_fb_tex;
    names[2] = g_fb_depth;
    names[3] = g_fb;
    names[4] = g_grab_tex;
    names[5] = g_move_tex;
    names[6] = g_move_fb;
}
