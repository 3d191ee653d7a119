// Textures: one OpenGL texture object with the path it was loaded from,
// its size and a tint; loaded from a PNG file first, else a TGA file of the
// same name, or generated from two colours. The operations (texture_gl.cpp)
// need the OpenGL context on the main thread.
#pragma once
#include <cstdint>

enum { TEXTURE_PATH_SIZE = 256 };

struct Texture {
    char path[TEXTURE_PATH_SIZE];  // "dir/name" of the last load by name; empty otherwise
    unsigned gl_id;                // generated once by texture_init
    uint8_t *pixels;               // generated texture while it is built
    unsigned bits;                 // pixel depth of the last TGA read; 32 when generated
    unsigned width, height;        // 128 x 128 until a load or generation
    float r, g, b;                 // tint of the 2D drawers
    bool loaded;
};

// Defaults and a new GL name.
void texture_init(Texture *t);
// Defaults, then the image file at path in the format its extension names
// (image_kind_of_name): PNG or TGA, the name as given first, then
// lower-cased without its bracketed part. A name of neither format is read
// as neither and reported. Marks the texture loaded only when it loaded.
bool texture_init_from_file(Texture *t, const char *path);
// Defaults, then texture_load_named(dir, name, false); on failure prints
// "failed to load texture %s/%s" and tints the texture magenta (g = 0).
void texture_create(Texture *t, const char *dir, const char *name);
// "dir/name.png", else "dir/name.tga" (blend onto white for TGA when asked).
// A loaded texture asked for the same dir and name again reads nothing.
bool texture_load_named(Texture *t, const char *dir, const char *name, bool blend);
// Releases the GL name; loaded becomes false. The object stays the owner's.
void texture_delete(Texture *t);
bool texture_is_loaded(const Texture *t);       // false for none (an empty slot)
void texture_bind(const Texture *t);
// GL_MODULATE when flag is non-zero, else GL_DECAL.
void texture_set_modulate(Texture *t, int flag);
// Generated 128 x 128 textures (texture_gradient.h).
void texture_make_gradient(Texture *t, const float *a, const float *b, int mode, int variant);
void texture_make_gradient_small(Texture *t, const float *a, const float *b);

// File readers into a GL name. PNG rows are uploaded bottom row first;
// TGA rows in file order. Both set width and height.
bool texture_load_png(unsigned gl_id, const char *path, unsigned *width, unsigned *height);
// Returns 0 on success, non-zero on failure.
int texture_load_tga(unsigned gl_id, const char *path, Texture *t, bool blend);

// Drawers.
void texture_draw_quad3d(Texture *t, float x, float y, float z, float scale, int multiply);
void texture_draw_quad2d(Texture *t, float x, float y, float scale_x, float scale_y);
void texture_draw_quad_blend(Texture *t, float x, float y, float width, float height);
void texture_draw_2d(Texture *t, int x, int y);
void texture_draw_billboard(Texture *t, float x, float y, float z, float size, float r, float g, float b,
                            float a, int subtract);

// Level 0 of the bound 2D texture as a 24-bit BMP file, rows flipped (the
// texture's first row at the bottom of the picture). False with a message
// when no texture image is bound or the file cannot be written.
bool save_texture_bmp(const char *path);

// The GL names texture_init made (the first TEXTURE_NAMES_KEPT of them),
// for leak checks; the count kept so far.
enum { TEXTURE_NAMES_KEPT = 65536 };
int texture_names_made(void);
unsigned texture_name_made(int i);
