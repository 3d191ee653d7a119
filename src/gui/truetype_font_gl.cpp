#include "gui/truetype_font_gl.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_ttf.h>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "app/base/data_dirs.h"
#include "app/base/text_encoding.h"
#include "gui/text_markup.h"
#include "render/color_table.h"

namespace {

struct Glyph {
    GLuint texture;
    int w, h;           // texture size (the rendered surface)
    int advance;
    int xoff, yoff;     // from the pen and the line's top to the surface
};

struct FontSlot {
    const char *file;
    int size;
    TTF_Font *font;
    std::unordered_map<uint16_t, Glyph> glyphs;
};

FontSlot g_fonts[MARKUP_FONTS] = {
    {"data/fonts/DejaVuSans.ttf", 13, nullptr, {}},
    {"data/fonts/DejaVuSans-Bold.ttf", 26, nullptr, {}},
    {"data/fonts/DejaVuSansMono.ttf", 12, nullptr, {}},
};

FontSlot *slot(int font) { return &g_fonts[(font >= 1 && font <= MARKUP_FONTS ? font : 1) - 1]; }

// The glyph of a character, rendered on first use; null when the font has
// none and cannot render it.
const Glyph *get_glyph(int font, uint16_t ch)
{
    FontSlot *f = slot(font);
    if (!f->font)
        return nullptr;
    auto it = f->glyphs.find(ch);
    if (it != f->glyphs.end())
        return &it->second;
    Glyph g = {0, 0, 0, 0, 0, 0};
    int minx = 0, maxx, miny, maxy = 0;
    if (TTF_GlyphMetrics(f->font, ch, &minx, &maxx, &miny, &maxy, &g.advance) != 0)
        g.advance = 0;
    // The rendered surface starts at the glyph's own left and top edges.
    g.xoff = minx > 0 ? minx : 0;
    g.yoff = TTF_FontAscent(f->font) - maxy;
    const SDL_Color white = {255, 255, 255, 0};
    SDL_Surface *s = ch > ' ' ? TTF_RenderGlyph_Blended(f->font, ch, white) : nullptr;
    if (s) {
        SDL_Surface *rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
        if (rgba) {
            SDL_SetAlpha(s, 0, 255);
            SDL_BlitSurface(s, nullptr, rgba, nullptr);
            glGenTextures(1, &g.texture);
            glBindTexture(GL_TEXTURE_2D, g.texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
            g.w = rgba->w;
            g.h = rgba->h;
            SDL_FreeSurface(rgba);
        }
        SDL_FreeSurface(s);
    }
    return &(f->glyphs[ch] = g);
}

std::vector<uint16_t> widen(const char *utf8)
{
    const int n = (int)strlen(utf8);
    std::vector<uint16_t> wide((size_t)n + 1);
    utf8_to_ucs2(wide.data(), utf8, n);
    return wide;
}

} // namespace

int init_font_ttf(void)
{
    if (!TTF_WasInit() && TTF_Init() != 0) {
        fprintf(stderr, "SDL_ttf Init failed %s\n", TTF_GetError());
        return 1;
    }
    for (FontSlot &f : g_fonts) {
        if (f.font)
            continue;
        f.font = TTF_OpenFont(data_path(f.file), f.size);
        if (!f.font) {
            fprintf(stderr, "Unable to open font %s: %s\n", f.file, TTF_GetError());
            return 1;
        }
    }
    return 0;
}

void fonts_context_lost(void)
{
    for (FontSlot &f : g_fonts)
        f.glyphs.clear();
}

void free_fonts(void)
{
    for (FontSlot &f : g_fonts) {
        for (auto &g : f.glyphs)
            if (g.second.texture)
                glDeleteTextures(1, &g.second.texture);
        f.glyphs.clear();
        if (f.font)
            TTF_CloseFont(f.font);
        f.font = nullptr;
    }
}

int font_height(int font)
{
    FontSlot *f = slot(font);
    return f->font ? TTF_FontLineSkip(f->font) : 0;
}

int text_width_wide(int font, const uint16_t *text)
{
    MarkupState st;
    markup_start(&st, font);
    int pos = 0, w = 0;
    for (uint16_t ch; (ch = markup_next(text, &pos, &st));) {
        const Glyph *g = get_glyph(st.font, ch);
        w += g ? g->advance : 0;
    }
    return w;
}

int text_width(int font, const char *utf8) { return text_width_wide(font, widen(utf8).data()); }

int draw_text_wide(int font, const uint16_t *text, float x, float y, const float *rgba)
{
    MarkupState st;
    markup_start(&st, font);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float pen = x;
    int pos = 0;
    for (uint16_t ch; (ch = markup_next(text, &pos, &st));) {
        const Glyph *g = get_glyph(st.font, ch);
        if (!g)
            continue;
        if (st.colour >= 0) {
            float rgb[3];
            get_color_rgb(st.colour, rgb);
            glColor4f(rgb[0], rgb[1], rgb[2], rgba[3]);
        } else {
            glColor4fv(rgba);
        }
        if (g->texture) {
            const float gx = pen + g->xoff, gy = y + g->yoff;
            glBindTexture(GL_TEXTURE_2D, g->texture);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(gx, gy);
            glTexCoord2f(1, 0);
            glVertex2f(gx + g->w, gy);
            glTexCoord2f(1, 1);
            glVertex2f(gx + g->w, gy + g->h);
            glTexCoord2f(0, 1);
            glVertex2f(gx, gy + g->h);
            glEnd();
        }
        pen += g->advance;
    }
    glPopAttrib();
    return (int)(pen - x);
}

int draw_text(int font, const char *utf8, float x, float y, const float *rgba)
{
    return draw_text_wide(font, widen(utf8).data(), x, y, rgba);
}

void font_texture_names(std::vector<unsigned> *out)
{
    for (const FontSlot &f : g_fonts)
        for (const auto &g : f.glyphs)
            if (g.second.texture)
                out->push_back(g.second.texture);
}
