#include "render/texture_gradient.h"

#include <cstring>

#include "render/color_table.h"

namespace {

struct Colours {
    float a[3], b[3], d[3];
};

Colours colours(const float *a, const float *b)
{
    Colours c;
    for (int k = 0; k < 3; k++) {
        c.a[k] = a[k] > 1.0f ? 1.0f : a[k];
        c.b[k] = b[k] > 1.0f ? 1.0f : b[k];
        c.d[k] = c.a[k] - c.b[k];
    }
    return c;
}

// Writes base + step x f at (x, y); the colour is clamped before it
// becomes bytes.
void put(uint8_t *px, int x, int y, const float *base, const float *d, float f)
{
    uint8_t *p = px + 4 * (GRADIENT_SIDE * y + x);
    for (int k = 0; k < 3; k++)
        p[k] = color_byte(base[k] + d[k] * f);
    p[3] = 255;
}

void clear(uint8_t *px)
{
    memset(px, 0, GRADIENT_BYTES);
    for (int i = 3; i < GRADIENT_BYTES; i += 4)
        px[i] = 255;
}

} // namespace

void gradient_fill_small(uint8_t *px, const float *a, const float *b)
{
    const Colours c = colours(a, b);
    for (int y = 0; y < GRADIENT_SIDE; y++)
        for (int x = 0; x < GRADIENT_SIDE; x++)
            put(px, x, y, x < 64 ? c.a : c.b, c.d, 0.0f);
}

bool gradient_fill(uint8_t *px, const float *a, const float *b, int mode, int variant)
{
    clear(px);
    const Colours c = colours(a, b);
    const int N = GRADIENT_SIDE;
    if (mode == 0 || mode == 2) {
        for (int y = 0; y < N; y++)
            for (int x = 0; x < N; x++)
                put(px, x, y, c.a, c.d, -(float)(mode == 0 ? y : x) / 128.0f);
        return true;
    }
    if (mode != 1)
        return false;
    for (int y = 0; y < N; y++) {
        for (int x = 0; x < N; x++) {
            if (x < 102) {
                if (variant == 0)
                    put(px, x, y, c.a, c.d, -(float)x / 102.0f);
                else if (y < 32)
                    put(px, x, y, c.b, c.d, (float)y / 32.0f);
                else if (y < 64)
                    put(px, x, y, c.a, c.d, 0.0f);
                else if (y < 96)
                    put(px, x, y, c.a, c.d, -(float)(y - 64) / 32.0f);
                else
                    put(px, x, y, c.b, c.d, 0.0f);
            } else if (variant == 0) {
                // Rows below 52 hold the end bands; the rest keep the
                // nearest written colour, a.
                put(px, x, y, y < 26 ? c.b : c.a, c.d, 0.0f);
            } else if (y < 26) {
                put(px, x, y, c.a, c.d, -(float)y / 26.0f);
            } else if (y < 52) {
                put(px, x, y, c.a, c.d, -(float)(y - 26) / 26.0f);
            } else {
                put(px, x, y, c.b, c.d, 0.0f);
            }
        }
    }
    return true;
}
