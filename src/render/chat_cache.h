// The two off-screen surfaces the chat can be cached in between frames:
// an SDL text surface written glyph by glyph (chat cache 2) and a
// framebuffer object drawn into in 2D (chat cache 3). Needs SDL and GL.
#pragma once
#include <cstdint>

struct SDL_Surface;

enum { CHAT_CACHE_SIDE = 1024 };

// The glyph surface (32-bit RGBA) of a character and its advance; null for
// none. The font code supplies it.
typedef SDL_Surface *(*ChatGlyphFn)(void *font, uint16_t ch, int *advance);

bool create_text_surface(void);
void free_text_surface(void);
SDL_Surface *text_surface(void);
unsigned text_surface_texture(void);
// Fills the surface with transparent white.
void clear_text_surface(void);
void upload_text_surface(void);
// The glyph recoloured to the current colour, blitted at surface (x, y).
void blit_glyph(SDL_Surface *glyph, int x, int y);
// The window row the text surface's top row stands for: window height -
// 512 for windows up to 512 high, else 0, so that the chat's rows (from
// the window's top) always fall inside the surface.
int text_surface_top(int window_height);
// Writes UTF-16 text from window point (x, y) into the surface: byte-order
// marks are skipped, "^" and two digits below 126 set the colour row and
// are not drawn. Returns the x after it.
int draw_text_color_codes(ChatGlyphFn glyph, void *font, int x, int y, const uint16_t *text, int window_height);
// The surface's texture over the whole window, or only over the window
// rectangle (x, y, w, h).
void draw_text_surface(int window_height);
void draw_text_surface_rect(int window_height, int x, int y, int w, int h);

// False, after printing "error", when the framebuffer is not complete; the
// option chatcache is then set to 0.
bool create_chat_framebuffer(void);
void delete_chat_framebuffer(void);
void bind_framebuffer(void);
void unbind_framebuffer(void);
// The framebuffer's texture: all of it with its bottom at the window's
// bottom, as it was filled with the window's own viewport; or the window
// rectangle (x, y, w, h) of what was filled with chat_framebuffer_begin.
void draw_chat_framebuffer(int window_height);
void draw_chat_framebuffer_rect(int x, int y, int w, int h);
// Binds the framebuffer and clears window rows top .. bottom - 1 of it
// (what is later drawn from it; the rest keeps what earlier fills left),
// viewport (0, 0, 1024, 1024) and 2D window coordinates with the window's
// top-left pixel at the texture's top-left (so any window size keeps the
// chat inside it); _end unbinds and gives the viewport back.
void chat_framebuffer_begin(int top, int bottom);
void chat_framebuffer_end(void);
// Moves window rows top .. bottom - 1 of the framebuffer cache by rows
// (down for by > 0), pixel for pixel; what they leave keeps its pixels.
// False (nothing moved) when there is no cache or a row would leave it.
bool chat_framebuffer_move(int top, int bottom, int by);

// The screen-grab cache: the window rectangle (x, y, w, h) is read from the
// back buffer twice, drawn over black and over white, and the colours and
// coverage found from the two are kept in a texture; draw is called once
// for each background. The colour buffer is left cleared to the clear
// colour it had, the depth and stencil buffers cleared.
void chat_grab(int x, int y, int w, int h, void (*draw)(void));
void draw_chat_grab(void);
// GL names the cache holds now (texture, texture, render buffer,
// framebuffer, grab texture, the move's texture and framebuffer; 0 for
// none), for leak checks.
enum { CHAT_CACHE_NAMES = 7 };
void chat_cache_names(unsigned *names);
