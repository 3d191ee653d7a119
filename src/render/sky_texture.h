// The pixels of the shader path's sky and sun textures, worked out from the
// world's look without OpenGL. The sky texture is a fish-eye view of the
// upper half of the sky (straight up in its middle, the horizon on the
// circle through its edge midpoints). Pixels are words ready for
// create_texture_rgba: blue in the low byte, then green, red and alpha, so
// that its red/blue exchange leaves every channel where it belongs.
#pragma once
#include <cstdint>

enum { SKY_TEXTURE_SIZE = 256, SUN_TEXTURE_SIZE = 128 };

struct SkyLook {
    float sky[3], sun[3], sunbeam[3], polar[3], background[3];
    float sun_dir[3], polar_dir[3];   // any length; zero for none
    float blend_power;
};

// The direction (x, y, z), z >= 0, that sky texel (row, column) shows.
void sky_texel_direction(int row, int column, float *d);
void make_sky_pixels(const SkyLook *look, uint32_t *out);   // SKY_TEXTURE_SIZE squared words
// The sun's round sprite: its colour (kept to 0..1) with an alpha that is
// full inside radius 51.2 texels and fades out just beyond.
void make_sun_pixels(const float *sun, uint32_t *out);       // SUN_TEXTURE_SIZE squared words
