#include <GL/glew.h>

#include "render/chat_cache.h"

#include <SDL.h>
#include <cstdio>

#include "app/base/options.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/surface_util.h"

static SDL_Surface *g_text = nullptr;
static GLuint g_text_tex = 0;
static GLuint g_fb_tex = 0, g_fb_depth = 0, g_fb = 0;

bool create_text_surface(void)
{
    free_text_surface();
    g_text = SDL_CreateRGBSurface(SDL_SWSURFACE | SDL_SRCALPHA, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE, 32, 0xFF, 0xFF00,
                                  0xFF0000, 0xFF000000);
    if (!g_text)
        return false;
    glGenTextures(1, &g_text_tex);
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

int draw_text_color_codes(ChatGlyphFn glyph, void *font, int x, int y, const uint16_t *text, int window_height)
{
    const int sy = y - (window_height - 512);
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

static void quad(float x, float y, float w, float h)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(x, y);
    glTexCoord2f(1, 0); glVertex2f(x + w, y);
    glTexCoord2f(1, 1); glVertex2f(x + w, y + h);
    glTexCoord2f(0, 1); glVertex2f(x, y + h);
    glEnd();
}

void draw_text_surface(int window_height)
{
    set_color_index(1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_text_tex);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    quad(0, (float)(window_height - 512), CHAT_CACHE_SIDE, CHAT_CACHE_SIDE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

bool create_chat_framebuffer(void)
{
    delete_chat_framebuffer();
    glGenTextures(1, &g_fb_tex);
    glBindTexture(GL_TEXTURE_2D, g_fb_tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, CHAT_CACHE_SIDE, CHAT_CACHE_SIDE, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
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
    g_fb = g_fb_depth = g_fb_tex = 0;
}

void bind_framebuffer(void)
{
    if (!g_fb)
        glGenFramebuffers(1, &g_fb);
    glBindFramebuffer(GL_FRAMEBUFFER, g_fb);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void unbind_framebuffer(void) { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

void draw_chat_framebuffer(int window_height)
{
    glColor4f(1, 1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_fb_tex);
    // The framebuffer's first row is the window's bottom row: the texture
    // is laid upside down against the surface's.
    const float y = (float)(window_height - CHAT_CACHE_SIDE), side = CHAT_CACHE_SIDE;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1); glVertex2f(0, y);
    glTexCoord2f(1, 1); glVertex2f(side, y);
    glTexCoord2f(1, 0); glVertex2f(side, y + side);
    glTexCoord2f(0, 0); glVertex2f(0, y + side);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

void chat_cache_names(unsigned *names)
{
    names[0] = g_text_tex;
    names[1] = g_fb_tex;
    names[2] = g_fb_depth;
    names[3] = g_fb;
}
