// Off-screen render targets of the shader path (a framebuffer object with
// one RGBA8 colour texture each), binding them for drawing, the textures
// that hold copies of the window's colour and depth buffers, the screen
// quad of the post effects, and depth of field. Main thread only.
#pragma once

struct RenderTarget {
    unsigned framebuffer;
    unsigned texture;
    int width, height;
};

enum { RENDER_TARGET_MAX = 8 };

// Appends one target. Prints "Buffer %i is dimensions %i %i". Returns 0,
// or 1 when GL reported an error or the framebuffer is not complete (the
// target is appended either way, so that unwinding deletes it).
int make_render_target(int width, int height, int with_depth);
// index >= 0 binds that target; -1 the window; -2 the current one again
// (only the viewport is set). Indexes past the made targets are refused.
void bind_render_target(int index);
void delete_render_targets(void);
// Deletes from the last target down to `keep` targets and prints
// "Insufficient Video Memory. Abort.".
void unwind_render_targets(int keep);
// The start-up set: the quarter-size target, the floor target, the two
// depth-of-field targets (depthoffield on) and the anaglyph target
// (anaglyphic on). A failed target switches its effect off. 0 on success.
int create_render_targets(void);

int render_target_count(void);
const RenderTarget *render_target(int index);   // null outside the made targets
int current_render_target(void);                // -1 the window; -9999 before the first bind
// Index of the floor-stain target and of the anaglyph target; -1 when absent.
int floor_target(void);
int anaglyph_target(void);

// Size of the screen copies: the window size, or its next powers of two
// when pow2_screen_copy is set (some drivers need them).
void set_screen_copy_size(int width, int height, int pow2);
int screen_copy_width(void);
int screen_copy_height(void);
int pow2_screen_copy(void);

// The window as a quad from -1 to 1 in 16 strips, texture coordinates
// scaled by (window width / width, window height / height) so that a copy
// larger than the window is sampled only where the window was. With
// keep_matrices the model-view and projection are identity meanwhile.
void draw_screen_quad(int keep_matrices, int width, int height);

// Screen copies (made on first use) and the eye images.
void copy_depth_for_dof(void);
void depth_of_field_pass(void);
void create_anaglyph_eye_textures(void);

// The anaglyph picture: copy_anaglyph_eye copies the window's colour into
// the left (0) or right (1) eye image (made on first use);
// compose_anaglyph draws the two through the anaglyph program into the
// anaglyph target, and draw_anaglyph puts that picture on the window. Each
// returns 1 and draws nothing when a piece it needs (target, program, eye
// images, a composed picture) is missing.
void copy_anaglyph_eye(int right);
int compose_anaglyph(void);
int draw_anaglyph(void);

// A texture with nearest filtering, repeat wrapping and modulate
// environment, made at renderer start-up for ray-traced data; nothing
// fills or samples it yet. Released with the other textures.
void create_raytrace_data_texture(void);
unsigned raytrace_data_texture(void);   // 0 when absent

// One transparent texel, made at renderer start-up: the floor's soft
// shadows when the quarter-size target could not be made. Released with
// the other textures.
void create_no_shadow_texture(void);
unsigned no_shadow_texture(void);   // 0 when absent

// The textures of the sky and the sun, made by the frame passes; released
// here with everything else.
struct SkyTextures {
    unsigned sky;   // 256 x 256
    unsigned sun;   // 128 x 128
};
SkyTextures &sky_textures(void);

// Deletes every target, every screen copy, the eye images, the ray-trace
// data texture, the no-shadow texel and the sky textures. Safe when none exist.
void free_render_textures(void);
