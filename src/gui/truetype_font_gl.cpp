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
#include "render/rw_regular.h"

namespace {

// Glyphs are packed into atlas pages, one texture each, in shelves: a
// string then draws as one batch of quads per page it uses.
enum { PAGE_SIZE = 512, PAGE_PAD = 1 };

struct Glyph {
    int page;           // -1: nothing to draw (space, or not renderable)
    int w, h;           // the rendered surface's size
    float s0, t0, s1, t1;
    int advance;
    int xoff, yoff;     // from the pen and the line's top to the surface
};

struct Page {
    GLuint texture;
    int shelf_y, shelf_h, pen_x;    // the open shelf and where it is filled to
};

struct FontSlot {
    const char *file;
    int size;
    TTF_Font *font;
    std::unordered_map<uint16_t, Glyph> glyphs;
    std::vector<Page> pages;
    std::unordered_map<uint16_t, SDL_Surface *> cells;     // for the chat's text surface
};

FontSlot g_fonts[MARKUP_FONTS] = {
    {"data/fonts/DejaVuSans.ttf", 13, nullptr, {}, {}, {}},
    {"data/fonts/DejaVuSans-Bold.ttf", 26, nullptr, {}, {}, {}},
    {"data/fonts/DejaVuSansMono.ttf", 12, nullptr, {}, {}, {}},
};

FontSlot *slot(int font) { return &g_fonts[(font >= 1 && font <= MARKUP_FONTS ? font : 1) - 1]; }

// A new, fully transparent white page.
Page new_page(void)
{
    Page p = {0, 0, 0, 0};
    GLint was = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &was);
    std::vector<unsigned char> clear((size_t)PAGE_SIZE * PAGE_SIZE * 4, 255);
    for (size_t i = 3; i < clear.size(); i += 4)
        clear[i] = 0;
    glGenTextures(1, &p.texture);
    glBindTexture(GL_TEXTURE_2D, p.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, PAGE_SIZE, PAGE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE, clear.data());
    glBindTexture(GL_TEXTURE_2D, (GLuint)was);
    return p;
}

// A place for a w x h glyph (with padding) on the font's last page, or on
// a new one; the page's index, -1 when the glyph is larger than a page.
int place(FontSlot *f, int w, int h, int *x, int *y)
{
    const int pw = w + PAGE_PAD, ph = h + PAGE_PAD;
    if (pw > PAGE_SIZE || ph > PAGE_SIZE)
        return -1;
    if (!f->pages.empty()) {
        Page &p = f->pages.back();
        if (p.pen_x + pw > PAGE_SIZE) {         // the shelf is full: open the next
            p.shelf_y += p.shelf_h;
            p.shelf_h = p.pen_x = 0;
        }
        if (p.shelf_y + ph > PAGE_SIZE)
            f->pages.push_back(new_page());
    } else {
        f->pages.push_back(new_page());
    }
    Page &p = f->pages.back();
    *x = p.pen_x;
    *y = p.shelf_y;
    p.pen_x += pw;
    p.shelf_h = ph > p.shelf_h ? ph : p.shelf_h;
    return (int)f->pages.size() - 1;
}

// The glyph of a character, rendered into the font's atlas on first use;
// null when the font is not open.
const Glyph *get_glyph(int font, uint16_t ch)
{
    FontSlot *f = slot(font);
    if (!f->font)
        return nullptr;
    auto it = f->glyphs.find(ch);
    if (it != f->glyphs.end())
        return &it->second;
    Glyph g = {-1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
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
        int x = 0, y = 0;
        const int page = rgba ? place(f, rgba->w, rgba->h, &x, &y) : -1;
        if (page >= 0) {
            SDL_SetAlpha(s, 0, 255);
            SDL_BlitSurface(s, nullptr, rgba, nullptr);
            GLint was = 0;      // measuring text leaves the caller's texture bound
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &was);
            glBindTexture(GL_TEXTURE_2D, f->pages[page].texture);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, rgba->w, rgba->h, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
            glBindTexture(GL_TEXTURE_2D, (GLuint)was);
            g.page = page;
            g.w = rgba->w;
            g.h = rgba->h;
            g.s0 = (float)x / PAGE_SIZE;
            g.t0 = (float)y / PAGE_SIZE;
            g.s1 = (float)(x + g.w) / PAGE_SIZE;
            g.t1 = (float)(y + g.h) / PAGE_SIZE;
        }
        if (rgba)
            SDL_FreeSurface(rgba);
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
        // Opened by us: only a regular file, never a wait on a FIFO.
        SDL_RWops *rw = rw_open_regular(data_path(f.file));
        f.font = rw ? TTF_OpenFontRW(rw, 1, f.size) : nullptr;
        if (!f.font) {
            fprintf(stderr, "Unable to open font %s: %s\n", f.file, TTF_GetError());
            return 1;
        }
    }
    return 0;
}

void fonts_context_lost(void)
{
    for (FontSlot &f : g_fonts) {
        f.glyphs.clear();
        f.pages.clear();
    }
    // The cell surfaces need no GL context: they stay.
}

void free_fonts(void)
{
    for (FontSlot &f : g_fonts) {
        for (auto &c : f.cells)
            if (c.second)
                SDL_FreeSurface(c.second);
        f.cells.clear();
        for (Page &p : f.pages)
            glDeleteTextures(1, &p.texture);
        f.pages.clear();
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

int text_advance_width_wide(int font, const uint16_t *text)
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

int glyph_advance(int font, uint16_t ch)
{
    const Glyph *g = get_glyph(font, ch);
    return g ? g->advance : 0;
}

SDL_Surface *glyph_cell_surface(void *, uint16_t ch, int *advance)
{
    FontSlot *f = slot(FONT_NORMAL);
    *advance = 0;
    if (!f->font)
        return nullptr;
    const Glyph *g = get_glyph(FONT_NORMAL, ch);
    *advance = g ? g->advance : 0;
    auto it = f->cells.find(ch);
    if (it != f->cells.end())
        return it->second;
    SDL_Surface *cell = nullptr;
    const SDL_Color white = {255, 255, 255, 0};
    SDL_Surface *s = g && ch > ' ' ? TTF_RenderGlyph_Blended(f->font, ch, white) : nullptr;
    if (s) {
        cell = SDL_CreateRGBSurface(SDL_SWSURFACE, g->xoff + s->w, g->yoff + s->h > 0 ? g->yoff + s->h : 1, 32, 0xFF,
                                    0xFF00, 0xFF0000, 0xFF000000);
        if (cell) {
            SDL_FillRect(cell, nullptr, SDL_MapRGBA(cell->format, 255, 255, 255, 0));
            SDL_SetAlpha(s, 0, 255);
            SDL_Rect at = {(Sint16)g->xoff, (Sint16)g->yoff, 0, 0};
            SDL_BlitSurface(s, nullptr, cell, &at);
        }
        SDL_FreeSurface(s);
    }
    f->cells[ch] = cell;
    return cell;
}

int text_width(int font, const char *utf8) { return text_advance_width_wide(font, widen(utf8).data()); }

int draw_text_wide(int font, const uint16_t *text, float x, float y, const float *rgba)
{
    return draw_text_wide_ink(font, text, x, y, rgba, nullptr);
}

int draw_text_wide_ink(int font, const uint16_t *text, float x, float y, const float *rgba, float *ink)
{
    if (ink) {
        ink[0] = y;
        ink[1] = y;
    }
    // Every glyph is in its atlas before the quads begin (no uploads
    // between glBegin and glEnd).
    text_advance_width_wide(font, text);
    MarkupState st;
    markup_start(&st, font);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    // Coverage adds up in a target's alpha (the chat's framebuffer cache
    // keeps what it holds premultiplied); the colour blends as usual.
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    // The atlas is white with the glyphs' coverage in alpha: the colour
    // comes from modulating it, whatever mode a textured shape left set.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    float pen = x;
    int pos = 0, colour = -2;
    GLuint bound = 0;
    for (uint16_t ch; (ch = markup_next(text, &pos, &st));) {
        const Glyph *g = get_glyph(st.font, ch);
        if (!g)
            continue;
        if (g->page >= 0) {
            const GLuint tex = slot(st.font)->pages[g->page].texture;
            if (tex != bound) {
                if (bound)
                    glEnd();
                glBindTexture(GL_TEXTURE_2D, tex);
                glBegin(GL_QUADS);
                bound = tex;
            }
            if (st.colour != colour) {
                if (st.colour >= 0) {
                    float rgb[3];
                    get_color_rgb(st.colour, rgb);
                    glColor4f(rgb[0], rgb[1], rgb[2], rgba[3]);
                } else {
                    glColor4fv(rgba);
                }
                colour = st.colour;
            }
            const float gx = pen + g->xoff, gy = y + g->yoff;
            if (ink) {
                ink[0] = gy < ink[0] ? gy : ink[0];
                ink[1] = gy + g->h > ink[1] ? gy + g->h : ink[1];
            }
            glTexCoord2f(g->s0, g->t0);
            glVertex2f(gx, gy);
            glTexCoord2f(g->s1, g->t0);
            glVertex2f(gx + g->w, gy);
            glTexCoord2f(g->s1, g->t1);
            glVertex2f(gx + g->w, gy + g->h);
            glTexCoord2f(g->s0, g->t1);
            glVertex2f(gx, gy + g->h);
        }
        pen += g->advance;
    }
    if (bound)
        glEnd();
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
        for (const Page &p : f.pages)
            if (p.texture)
                out->push_back(p.texture);
}
