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
// Writes UTF-16 text from window point (x, y) (the surface's top sits at
// window height - 512): byte-order marks are skipped, "^" and two digits
// below 126 set the colour row and are not drawn. Returns the x after it.
int draw_text_color_codes(ChatGlyphFn glyph, void *font, int x, int y, const uint16_t *text, int window_height);
void draw_text_surface(int window_height);

// False, after printing "error", when the framebuffer is not complete; the
// option chatcache is then set to 0.
bool create_chat_framebuffer(void);
void delete_chat_framebuffer(void);
void bind_framebuffer(void);
void unbind_framebuffer(void);
void draw_chat_framebuffer(int window_height);
// GL names the cache holds now (texture, texture, render buffer,
// framebuffer; 0 for none), for leak checks.
void chat_cache_names(unsigned *names4);
