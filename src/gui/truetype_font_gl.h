// The TrueType text layer that draws all 2D text: three fonts through
// SDL_ttf (data/fonts, DejaVu from Debian's fonts-dejavu-core), each glyph
// rendered once into its font's atlas (512 x 512 texture pages), and text
// drawn with the inline markup of text_markup.h, one batch of quads per
// page a string uses. Main thread only, inside push_ortho.
#pragma once
#include <cstdint>
#include <vector>

enum { FONT_NORMAL = 1, FONT_BIG = 2, FONT_MONO = 3 };

// 0, or non-zero when a font cannot be opened (a message names it).
int init_font_ttf(void);
// Deletes every atlas page and closes the fonts (safe to call twice).
void free_fonts(void);
// Forgets the atlas pages without deleting them: the GL context they
// lived in is gone (a new video mode).
void fonts_context_lost(void);
int font_height(int font);
// Width in pixels of 16-bit text with markup, starting in font.
int text_advance_width_wide(int font, const uint16_t *text);
int text_width(int font, const char *utf8);
// The advance of one character (no markup) in font 1..3.
int glyph_advance(int font, uint16_t ch);
// The glyph of a character in font 1 as a 32-bit RGBA surface (white, the
// coverage in alpha) with the glyph at its place in the line's cell, and
// its advance; null for none. The surfaces are kept until free_fonts.
// Fits ChatGlyphFn (render/chat_cache.h); font is ignored.
struct SDL_Surface;
SDL_Surface *glyph_cell_surface(void *font, uint16_t ch, int *advance);
// Draws text with markup at (x, y) (top left) in the colour rgba; markup
// colour rows replace the colour. Returns the width drawn.
int draw_text_wide(int font, const uint16_t *text, float x, float y, const float *rgba);
// draw_text_wide that also gives the rows its quads cover: ink[0] the
// top, ink[1] the bottom (both y when it drew nothing).
int draw_text_wide_ink(int font, const uint16_t *text, float x, float y, const float *rgba, float *ink);
int draw_text(int font, const char *utf8, float x, float y, const float *rgba);
// Appends the GL names of the glyph textures alive now (for leak checks).
void font_texture_names(std::vector<unsigned> *out);
