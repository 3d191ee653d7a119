// The shader path's sky: a textured dome of radius 950 around the camera
// and its mirror image below the floor, with the sun as a sprite. Its two
// textures are made from the world's look at renderer start-up and again
// whenever the look changes.
#pragma once

// Remakes the sky and sun textures from the world shader values.
void build_sky_textures(void);
void free_sky_textures(void);
unsigned sky_texture(void);   // 0 before the first build
unsigned sun_texture(void);
// which: bit 1 the sky itself, bit 2 its mirror image; draw_sun adds the
// sun sprite. Nothing while the world's sky is off or its pieces are missing.
void draw_sky(int draw_sun, int which);
void draw_sun_sprite(void);
