// Small GL functions every pass of the shader path shares: the object
// transform handed to the programs through texture matrix 0 (and its
// mirror image in the floor), the standard render state, the ground plane,
// texture upload and binding.
#pragma once
#include <cstdint>

// Texture matrix 0 := [rot (3x3 row by row) | translation], back in the
// modelview mode. The mirrored form flips z (diag(1, 1, -1) in front).
void load_object_texture_matrix(const float *rot, const float *translation);
void load_mirrored_texture_matrix(const float *translation, const float *rot);
// The identity transform at a point (rot null) scaled by k: k I.
void load_scaled_texture_matrix(float k, const float *translation, int mirrored);

// No texture-coordinate generation or lighting; depth test and writes on;
// back faces culled, counter-clockwise in front; no smoothing; blending
// over (source alpha, one minus source alpha).
void reset_render_state(void);
// The floor plane at the centre's height: a 200 x 200 square and four
// trapezoids out to 20,000 units, from a client array (buffers unbound).
void draw_ground_plane(const float *centre);
// A new mipmapped texture from words whose red and blue bytes are exchanged
// first, in place (blue in the low byte in, red in the low byte uploaded).
unsigned create_texture_rgba(uint32_t *pixels, int width, int height);
// The texture bound to the target filtered and wrapped: minification and
// magnification filters, one wrap mode for s and t.
void set_texture_sampling(unsigned target, int min_filter, int mag_filter, int wrap);
// The unit active, 2D texturing on it, the texture bound.
void bind_texture_unit(int unit, unsigned texture);
// The shader path's square outline: four quads of the given width around
// the square of the side centred on the point in the plane z, unlit.
void draw_quad_box(float x, float y, float z, float width, float side);
// The drawing colour and the current program's "globalcolor" together.
void set_global_colour(float r, float g, float b, float a);
