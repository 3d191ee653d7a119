#include "render/sky_texture.h"

#include <cmath>

static float clamp01(float c) { return c > 0 ? (c < 1 ? c : 1) : 0; }

static uint32_t texel_word(const float *rgb, float alpha)
{
    const uint32_t r = (uint32_t)(clamp01(rgb[0]) * 255 + 0.5f), g = (uint32_t)(clamp01(rgb[1]) * 255 + 0.5f),
                   b = (uint32_t)(clamp01(rgb[2]) * 255 + 0.5f), a = (uint32_t)(clamp01(alpha) * 255 + 0.5f);
    return b | g << 8 | r << 16 | a << 24;
}

static void unit(const float *v, float *out)
{
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; k++)
        out[k] = len > 0 ? v[k] / len : 0;
}

void sky_texel_direction(int row, int column, float *d)
{
    const float u = row / 128.0f - 1, v = column / 128.0f - 1;
    const float r = std::sqrt(u * u + v * v);
    // The point (x, z) = (sin t, cos t) of the quarter circle with
    // (1 - z) x = r; that product grows with t, so bisection finds it.
    float lo = 0, hi = (float)M_PI / 2;
    for (int step = 0; step < 16; step++) {
        const float t = 0.5f * (lo + hi);
        if ((1 - std::cos(t)) * std::sin(t) < r)
            lo = t;
        else
            hi = t;
    }
    const float t = 0.5f * (lo + hi), x = std::sin(t), z = std::cos(t);
    if (r > 0) {
        d[0] = x * v / r;
        d[1] = x * u / r;
    } else {
        d[0] = d[1] = 0;
    }
    d[2] = r > 0 ? z : 1;
}

void make_sky_pixels(const SkyLook *look, uint32_t *out)
{
    float s[3], p[3];
    unit(look->sun_dir, s);
    unit(look->polar_dir, p);
    for (int i = 0; i < SKY_TEXTURE_SIZE; i++)
        for (int j = 0; j < SKY_TEXTURE_SIZE; j++) {
            float d[3];
            sky_texel_direction(i, j, d);
            const float ds = d[0] * s[0] + d[1] * s[1] + d[2] * s[2];
            const float cx = d[1] * s[2] - d[2] * s[1], cy = d[2] * s[0] - d[0] * s[2],
                        cz = d[0] * s[1] - d[1] * s[0];
            // The sun's disc only on the sun's side (not where the sky looks
            // straight away from it).
            const bool in_sun = ds > 0 && cx * cx + cy * cy + cz * cz < 0.002916f;
            const float g = ds > 0 ? ds : 0, g5 = g * g * g * g * g;
            const float dp = d[0] * p[0] + d[1] * p[1] + d[2] * p[2];
            const float polar = dp > 0 ? dp * dp : 0;
            // The background's share: a weight above 1 would subtract the
            // sky, sun and sunbeam (a black band), so it is held to [0, 1].
            const float e = clamp01(std::pow(2.0f, (1 - d[2]) * look->blend_power));
            float c[3];
            for (int k = 0; k < 3; k++) {
                const float base = look->sky[k] + (in_sun ? look->sun[k] : 0);
                const float sky = look->polar[k] * polar + look->sunbeam[k] * g5 + base;
                c[k] = (sky * (1 - e) + e * look->background[k]) * 0.5f;
            }
            out[i * SKY_TEXTURE_SIZE + j] = texel_word(c, 0);
        }
}

void make_sun_pixels(const float *sun, uint32_t *out)
{
    for (int y = -64; y < 64; y++)
        for (int x = -64; x < 64; x++) {
            const float f = (float)(x * x + y * y) / (51.2f * 51.2f);
            float a = 1;
            if (f >= 1) {
                const float fade = 1 - (f - 1) * 16 / 9;
                a = fade > 0 ? std::round(fade * 255) / 255 : 0;
            }
            out[(y + 64) * SUN_TEXTURE_SIZE + x + 64] = texel_word(sun, a);
        }
}
