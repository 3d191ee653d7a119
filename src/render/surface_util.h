// Pixels of SDL surfaces (1 to 4 bytes per pixel): bounded reads and
// writes, alpha fade, tint, flips, and upload into a GL texture. Used by
// the font glyph textures and the chat cache. Needs SDL (and GL to upload).
#pragma once
#include <cstdint>
#include <cstdio>

struct SDL_Surface;

// Binds texture, linear filters, uploads level 0 (RGBA or BGRA for 4
// bytes, RGB or BGR for 3, by the red mask); returns the texture name.
// Rows are read at the surface's own pitch (padded rows included).
unsigned upload_surface_texture(SDL_Surface *s, unsigned texture);
// The raw pixel at (x, y); 0 outside the surface or for a pixel size
// other than 1 to 4.
uint32_t surface_get_pixel(SDL_Surface *s, int x, int y);
// Writes a raw pixel; does nothing outside the surface.
void surface_put_pixel(SDL_Surface *s, int x, int y, uint32_t value);
// alpha x (1 - row / height x strength), rows counted from the top.
void surface_fade_alpha(SDL_Surface *s, float strength);
// Every 32-bit pixel other than 0x00FFFFFF takes the colour (components
// 0..1, clamped) and keeps its alpha.
void surface_tint(SDL_Surface *s, float r, float g, float b);
void surface_flip_vertical(SDL_Surface *s);
void surface_draw_border(SDL_Surface *s);
void surface_dump(SDL_Surface *s, FILE *out);
