#include <GL/glew.h>

#include "render/surface_util.h"

#include <SDL.h>
#include <cstring>
#include <vector>

#include "render/color_table.h"

static bool inside(SDL_Surface *s, int x, int y)
{
    return s && s->pixels && x >= 0 && y >= 0 && x < s->w && y < s->h && s->format->BytesPerPixel >= 1 &&
           s->format->BytesPerPixel <= 4;
}

unsigned upload_surface_texture(SDL_Surface *s, unsigned texture)
{
    const int bpp = s->format->BytesPerPixel;
    GLenum format = GL_RGBA;
    if (bpp == 4)
        format = s->format->Rmask == 0xFF ? GL_RGBA : GL_BGRA;
    else if (bpp == 3)
        format = s->format->Rmask == 0xFF ? GL_RGB : GL_BGR;
    else if (bpp == 1)
        format = GL_LUMINANCE;
    else
        format = GL_LUMINANCE_ALPHA;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLint align = 4, row = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &row);
    // A pitch that is a whole number of pixels is read as such; otherwise
    // (3-byte rows padded to 4 bytes) the rows are 4-byte aligned.
    const bool whole = s->pitch % bpp == 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, whole ? 1 : 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, whole ? s->pitch / bpp : 0);
    SDL_LockSurface(s);
    glTexImage2D(GL_TEXTURE_2D, 0, bpp, s->w, s->h, 0, format, GL_UNSIGNED_BYTE, s->pixels);
    SDL_UnlockSurface(s);
    glPixelStorei(GL_UNPACK_ALIGNMENT, align);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, row);
    return texture;
}

uint32_t surface_get_pixel(SDL_Surface *s, int x, int y)
{
    if (!inside(s, x, y))
        return 0;
    const int bpp = s->format->BytesPerPixel;
    const uint8_t *p = (const uint8_t *)s->pixels + y * s->pitch + x * bpp;
    switch (bpp) {
    case 1: return *p;
    case 2: return *(const uint16_t *)p;
    case 3: return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    default: return *(const uint32_t *)p;
    }
}

void surface_put_pixel(SDL_Surface *s, int x, int y, uint32_t v)
{
    if (!inside(s, x, y))
        return;
    const int bpp = s->format->BytesPerPixel;
    uint8_t *p = (uint8_t *)s->pixels + y * s->pitch + x * bpp;
    switch (bpp) {
    case 1: *p = (uint8_t)v; break;
    case 2: *(uint16_t *)p = (uint16_t)v; break;
    case 3: p[0] = (uint8_t)v; p[1] = (uint8_t)(v >> 8); p[2] = (uint8_t)(v >> 16); break;
    default: *(uint32_t *)p = v; break;
    }
}

void surface_fade_alpha(SDL_Surface *s, float strength)
{
    if (!s || s->h <= 0)
        return;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; y++) {
        const float keep = 1.0f - (float)y / (float)s->h * strength;
        for (int x = 0; x < s->w; x++) {
            Uint8 r, g, b, a;
            SDL_GetRGBA(surface_get_pixel(s, x, y), s->format, &r, &g, &b, &a);
            surface_put_pixel(s, x, y, SDL_MapRGBA(s->format, r, g, b, color_byte(a / 255.0f * keep)));
        }
    }
    SDL_UnlockSurface(s);
}

void surface_tint(SDL_Surface *s, float r, float g, float b)
{
    if (!s || s->format->BytesPerPixel != 4)
        return;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; y++) {
        for (int x = 0; x < s->w; x++) {
            const uint32_t v = surface_get_pixel(s, x, y);
            if (v == 0x00FFFFFFu)
                continue;
            Uint8 pr, pg, pb, a;
            SDL_GetRGBA(v, s->format, &pr, &pg, &pb, &a);
            surface_put_pixel(s, x, y, SDL_MapRGBA(s->format, color_byte(r), color_byte(g), color_byte(b), a));
        }
    }
    SDL_UnlockSurface(s);
}

void surface_flip_vertical(SDL_Surface *s)
{
    if (!s || !s->pixels)
        return;
    std::vector<uint8_t> row(s->pitch);
    uint8_t *px = (uint8_t *)s->pixels;
    for (int y = 0; y < s->h / 2; y++) {
        uint8_t *a = px + y * s->pitch, *b = px + (s->h - 1 - y) * s->pitch;
        memcpy(row.data(), a, s->pitch);
        memcpy(a, b, s->pitch);
        memcpy(b, row.data(), s->pitch);
    }
}

void surface_draw_border(SDL_Surface *s)
{
    if (!s)
        return;
    const uint32_t red = SDL_MapRGBA(s->format, 255, 0, 0, 255);
    for (int x = 0; x < s->w; x++) {
        surface_put_pixel(s, x, 0, red);
        surface_put_pixel(s, x, s->h - 1, red);
    }
    for (int y = 0; y < s->h; y++) {
        surface_put_pixel(s, 0, y, red);
        surface_put_pixel(s, s->w - 1, y, red);
    }
}

void surface_dump(SDL_Surface *s, FILE *out)
{
    if (!s)
        return;
    fputs("=========\n", out);
    for (int y = 0; y < s->h; y++) {
        for (int x = 0; x < s->w; x++) {
            Uint8 r, g, b, a;
            SDL_GetRGBA(surface_get_pixel(s, x, y), s->format, &r, &g, &b, &a);
            fprintf(out, "%.3i %.3i %.3i %.3i|", r, g, b, a);
        }
        fputs("\n", out);
    }
    fputs("=========\n", out);
}
