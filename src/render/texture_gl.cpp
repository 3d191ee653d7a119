// Texture loading, generation, upload and the textured quad drawers.
#include <GL/glew.h>

#include "render/texture.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/base/text.h"
#include "app/base/utils.h"
#include "render/image_file.h"
#include "render/png_decode.h"
#include "render/shapes_gl.h"
#include "render/texture_gradient.h"
#include "render/tga_read.h"

static std::vector<unsigned> g_names_made;

int texture_names_made(void) { return (int)g_names_made.size(); }
unsigned texture_name_made(int i) { return (i >= 0 && i < (int)g_names_made.size()) ? g_names_made[i] : 0; }

// Uploads tightly packed rows whatever their width (rows of an odd width
// in RGB are not 4-byte aligned), then restores the caller's alignment.
static void upload(unsigned gl_id, GLint internal, unsigned w, unsigned h, GLenum format, const void *data)
{
    GLint align = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, gl_id);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, internal, (GLsizei)w, (GLsizei)h, 0, format, GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, align);
}

void texture_init(Texture *t)
{
    memset(t, 0, sizeof *t);
    t->width = t->height = 128;
    t->r = t->g = t->b = 1.0f;
    glGenTextures(1, &t->gl_id);
    if (g_names_made.size() < TEXTURE_NAMES_KEPT)
        g_names_made.push_back(t->gl_id);
}

bool texture_load_png(unsigned gl_id, const char *path, unsigned *width, unsigned *height)
{
    std::vector<uint8_t> file, px;
    if (load_file_to_buffer(file, path) != 0)
        return false;
    unsigned w = 0, h = 0;
    if (decode_png(px, w, h, file.data(), file.size()) != 0)
        return false;
    // First row in memory is the bottom of the image.
    const size_t row = (size_t)w * 4;
    std::vector<uint8_t> tmp(row);
    for (unsigned r = 0; r < h / 2; r++) {
        uint8_t *a = px.data() + r * row, *b = px.data() + (size_t)(h - 1 - r) * row;
        memcpy(tmp.data(), a, row);
        memcpy(a, b, row);
        memcpy(b, tmp.data(), row);
    }
    upload(gl_id, GL_RGBA, w, h, GL_RGBA, px.data());
    *width = w;
    *height = h;
    return true;
}

// Reads a TGA file into gl_id; 0 on success, 1 when it could not be read.
static int texture_upload_tga(unsigned gl_id, const char *path, unsigned *width, unsigned *height, unsigned *bits,
                              bool blend)
{
    TgaImage img;
    if (tga_read(path, &img) != 0)
        return 1;
    if (blend)
        tga_blend_to_white(&img);
    static const GLenum formats[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    upload(gl_id, (GLint)img.components, img.width, img.height, formats[img.components], img.pixels.data());
    *width = img.width;
    *height = img.height;
    *bits = img.bits;
    return 0;
}

int texture_load_tga(unsigned gl_id, const char *path, Texture *t, bool blend)
{
    // The name as given first (folders like custom/<Name> keep capitals),
    // then lower-cased without its bracketed part.
    char file[TEXTURE_PATH_SIZE];
    n_strncpyz(file, path, sizeof file);
    if (texture_upload_tga(gl_id, file, &t->width, &t->height, &t->bits, blend) == 0)
        return 0;
    str_tolower(file);
    strip_brackets(file);
    if (strcmp(file, path) == 0)
        return 1;
    return texture_upload_tga(gl_id, file, &t->width, &t->height, &t->bits, blend);
}

// A PNG file into the texture: the name as given first, then lower-cased
// without its bracketed part, as for TGA files. A file that is there but
// does not decode is reported.
static bool texture_load_png_file(Texture *t, const char *path)
{
    char file[TEXTURE_PATH_SIZE];
    n_strncpyz(file, path, sizeof file);
    unsigned w = 0, h = 0;
    bool ok = texture_load_png(t->gl_id, file, &w, &h);
    if (!ok) {
        str_tolower(file);
        strip_brackets(file);
        ok = strcmp(file, path) != 0 && texture_load_png(t->gl_id, file, &w, &h);
    }
    if (!ok) {
        if (file_exists(path))
            fprintf(stderr, "%s: not a PNG image that can be read\n", path);
        return false;
    }
    t->width = w;
    t->height = h;
    return true;
}

bool texture_init_from_file(Texture *t, const char *path)
{
    texture_init(t);
    switch (image_kind_of_name(path)) {
    case IMAGE_KIND_PNG:
        t->loaded = texture_load_png_file(t, path);
        break;
    case IMAGE_KIND_TGA:
        t->loaded = texture_load_tga(t->gl_id, path, t, false) == 0;
        break;
    default:
        fprintf(stderr, "%s: not an image file name (takes %s)\n", path ? path : "", image_kinds_taken());
        t->loaded = false;
        break;
    }
    return t->loaded;
}

bool texture_load_named(Texture *t, const char *dir, const char *name, bool blend)
{
    char want[TEXTURE_PATH_SIZE];
    snprintf(want, sizeof want, "%s/%s", dir, name);
    if (t->loaded && strcmp(want, t->path) == 0)
        return true;
    memcpy(t->path, want, sizeof want);
    t->loaded = false;
    char file[TEXTURE_PATH_SIZE + 8];
    snprintf(file, sizeof file, "%s.png", t->path);
    unsigned w = 0, h = 0;
    if (texture_load_png(t->gl_id, file, &w, &h)) {
        t->width = w;
        t->height = h;
        t->loaded = true;
        return true;
    }
    snprintf(file, sizeof file, "%s.tga", t->path);
    if (texture_load_tga(t->gl_id, file, t, blend) != 0) {
        t->path[0] = 0;
        return false;
    }
    t->loaded = true;
    return true;
}

void texture_create(Texture *t, const char *dir, const char *name)
{
    texture_init(t);
    if (!texture_load_named(t, dir, name, false)) {
        fprintf(stderr, "failed to load texture %s/%s\n", dir, name);
        t->g = 0.0f;
    }
}

void texture_delete(Texture *t)
{
    if (t->gl_id)
        glDeleteTextures(1, &t->gl_id);
    t->gl_id = 0;
    t->loaded = false;
}

bool texture_is_loaded(const Texture *t) { return t && t->loaded; }

void texture_bind(const Texture *t) { glBindTexture(GL_TEXTURE_2D, t->gl_id); }

void texture_set_modulate(Texture *t, int flag)
{
    texture_bind(t);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, flag ? GL_MODULATE : GL_DECAL);
}

static void finish_generated(Texture *t, bool filled)
{
    if (filled) {
        upload(t->gl_id, GL_RGBA, GRADIENT_SIDE, GRADIENT_SIDE, GL_RGBA, t->pixels);
        t->bits = 32;
        t->width = t->height = GRADIENT_SIDE;
        t->loaded = true;
        t->path[0] = 0;
    }
    delete[] t->pixels;
    t->pixels = nullptr;
}

void texture_make_gradient(Texture *t, const float *a, const float *b, int mode, int variant)
{
    t->pixels = new uint8_t[GRADIENT_BYTES];
    finish_generated(t, gradient_fill(t->pixels, a, b, mode, variant));
}

void texture_make_gradient_small(Texture *t, const float *a, const float *b)
{
    t->pixels = new uint8_t[GRADIENT_BYTES];
    gradient_fill_small(t->pixels, a, b);
    finish_generated(t, true);
}

void texture_draw_quad3d(Texture *t, float x, float y, float z, float scale, int multiply)
{
    texture_bind(t);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    if (multiply)
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(scale, scale, 1.0f);
    glTranslatef(x, y, z);
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0); glVertex2f(-2, -1);
    glTexCoord2f(0, 1); glVertex2f(-2, 1);
    glTexCoord2f(1, 1); glVertex2f(0, 1);
    glTexCoord2f(1, 0); glVertex2f(0, -1);
    glEnd();
    if (multiply)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
}

void texture_draw_quad2d(Texture *t, float x, float y, float sx, float sy)
{
    texture_bind(t);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, 0);
    glScalef(sx, sy, 1);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDepthMask(GL_FALSE);
    glColor3f(t->r, t->g, t->b);
    const float w = (float)t->width, h = (float)t->height;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(0, h);
    glTexCoord2f(0, 1); glVertex2f(0, 0);
    glTexCoord2f(1, 1); glVertex2f(w, 0);
    glTexCoord2f(1, 0); glVertex2f(w, h);
    glEnd();
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void texture_draw_quad_blend(Texture *t, float x, float y, float w, float h)
{
    texture_bind(t);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, 0);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1); glVertex2f(0, 0);
    glTexCoord2f(1, 1); glVertex2f(w, 0);
    glTexCoord2f(1, 0); glVertex2f(w, h);
    glTexCoord2f(0, 0); glVertex2f(0, h);
    glEnd();
    glPopMatrix();
    glEnable(GL_CULL_FACE);
}

void texture_draw_2d(Texture *t, int x, int y)
{
    texture_bind(t);
    glPushMatrix();
    glTranslatef((float)x, (float)y, 0);
    glEnable(GL_TEXTURE_2D);
    glColor3f(t->r, t->g, t->b);
    const int w = (int)t->width, h = (int)t->height;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2i(0, h);
    glTexCoord2f(0, 1); glVertex2i(0, 0);
    glTexCoord2f(1, 1); glVertex2i(w, 0);
    glTexCoord2f(1, 0); glVertex2i(w, h);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void texture_draw_billboard(Texture *t, float x, float y, float z, float size, float r, float g, float b,
                            float a, int subtract)
{
    texture_bind(t);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (subtract)
        glBlendEquation(GL_FUNC_REVERSE_SUBTRACT);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, z);
    face_the_eye();
    const float s = size * 0.2f;
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1); glVertex3f(-s, s, 0);
    glTexCoord2f(1, 1); glVertex3f(s, s, 0);
    glTexCoord2f(1, 0); glVertex3f(s, -s, 0);
    glTexCoord2f(0, 0); glVertex3f(-s, -s, 0);
    glEnd();
    glPopMatrix();
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
}

bool save_texture_bmp(const char *path)
{
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) {
        fprintf(stderr, "save_texture_bmp: no texture image bound\n");
        return false;
    }
    std::vector<uint8_t> px((size_t)w * h * 3);
    GLint pack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    glPixelStorei(GL_PACK_ALIGNMENT, pack);
    // Red in the lowest byte, whatever the order the file is written in.
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    if (!s)
        return false;
    // The texture's first row is the image's bottom one.
    for (int y = 0; y < h; y++)
        memcpy((uint8_t *)s->pixels + (size_t)y * s->pitch, &px[(size_t)(h - 1 - y) * w * 3], (size_t)w * 3);
    // Written beside and renamed, as every file we write.
    FILE *f = path ? replace_file_open(path) : nullptr;
    SDL_RWops *rw = f ? SDL_RWFromFP(f, 0) : nullptr;
    bool ok = rw && SDL_SaveBMP_RW(s, rw, 1) == 0;
    SDL_FreeSurface(s);
    if (ok)
        ok = replace_file_commit(f, path) == 0;
    else if (f)
        replace_file_discard(f, path);
    if (!ok)
        fprintf(stderr, "save_texture_bmp: cannot write %s\n", path);
    return ok;
}
