// The fixed-function shape drawers every solid goes through (box, sphere,
// capsule, hemisphere), the current colour they take their material from,
// the planar floor shadow of kind 4 and the display lists they draw with.
#pragma once

// Pose: a position and a 3x4 rotation (the physics engine's layout).
void render_box(const float *pos, const float *R, const float *sides, int kind);
void render_sphere(const float *pos, const float *R, float radius, int kind);
// length is that of the cylinder part, along the local z axis.
void render_capsule(const float *pos, const float *R, float length, float radius, int kind);
// The half of a sphere on the side of the local axis; kind 64 closes its
// cut with a disc.
void render_hemisphere(const float *pos, const float *R, float radius, const float *axis, int kind);

// The current colour (and glColor4f) every drawer derives its material from.
void gl_set_color(float r, float g, float b, float a);
const float *gl_current_color(void);
// The colour state's GL back end (glColor4fv), installed by init_graphics.
void gl_apply_color(const float *rgba);
// The lit material of a colour: ambient 2.5 of it, diffuse 0.425, a grey
// highlight (colour material off).
void set_material(float r, float g, float b, float a);
// A run of kind-4 shapes sharing one state change, drawn in one call at its
// end (the shadow pass).
void shadow_pass_begin(void);
void shadow_pass_end(void);
// A run of shapes drawn without the frame's blending (see-through ones
// still blend), whose material is set only when the colour changes; its
// plain lit shapes are gathered and drawn in one call per colour run. A
// drawer inside the run that draws by itself calls shapes_flush before
// (the gathered shapes go first) and, when it sets materials or colour
// material itself, shapes_forget_material after.
void opaque_pass_begin(void);
void opaque_pass_end(void);
void shapes_flush(void);
// A run of see-through shapes (the ghosts) gathered the same way, each
// colour run blended in one call; opaque ones among them draw alone.
void see_through_pass_begin(void);
void see_through_pass_end(void);
void shapes_forget_material(void);
// The clear colour (alpha 0); shadows are darkened from it.
void set_clear_color(float r, float g, float b);
const float *get_clear_color(void);

// The display lists and the two generated textures (shine, sprite disc),
// made by init_graphics and deleted by free_graphics.
void shapes_create(void);
void shapes_free(void);
// The names made so far (for the release check): lists and textures.
int shapes_list_base(void);
int shapes_list_count(void);
unsigned shapes_texture(int k);   // 0 shine, 1 sprite disc
// The scene light (world space, w = 0) that kind 4 casts shadows along.
void shapes_set_light(const float *pos4);
// A disc of the radius at z = 0 facing +z, and a square of half side `half`.
void shapes_draw_disc(float radius);
void shapes_draw_quad(float half);
