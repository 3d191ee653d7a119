// The fixed-function shape drawers every solid goes through (box, sphere,
// capsule, hemisphere), the current colour they take their material from,
// the planar floor shadow of kind 4 and the display lists they draw with.
#pragma once
#include "render/texture.h"

// Pose: a position and a 3x4 rotation (the physics engine's layout). vel
// and spin: the shape's linear and angular velocity, which the shader path
// keeps with the queued shape (null: at rest; the fixed path draws no
// motion).
void render_box(const float *pos, const float *R, const float *sides, int kind, const float *vel = nullptr,
                const float *spin = nullptr);
void render_sphere(const float *pos, const float *R, float radius, int kind, const float *vel = nullptr,
                   const float *spin = nullptr);
// length is that of the cylinder part, along the local z axis.
void render_capsule(const float *pos, const float *R, float length, float radius, int kind,
                    const float *vel = nullptr, const float *spin = nullptr);
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
// The game's material family: ambient and diffuse scale the colour, the
// specular part is shared. set_material and the shiny material use it.
void apply_material(float r, float g, float b, float a, float ambient_k, float diffuse_k, float shininess);
// 2D drawing in pixels of a w x h area, y down, origin at the top left:
// no depth test, lighting or culling, blending on. pop_ortho_2d gives back
// the matrices and enables as they were.
void push_ortho_2d(float w, float h);
void pop_ortho_2d(void);
// A filled rectangle in 2D window coordinates, in the current colour.
void fill_rect_2d(float x, float y, float w, float h);
// Drops the rotation (and scale) from the modelview matrix, keeping its
// translation: what is drawn next in the xy plane faces the eye.
void face_the_eye(void);
// Turns the current matrix so that +z points along axis (any length; a zero
// axis leaves it as it is).
void rotate_z_onto(const float *axis);
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
bool shapes_in_opaque_pass(void);
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
// A disc of the radius at z = 0 facing +z, and a square of half side `half`.
void shapes_draw_disc(float radius);
void shapes_draw_quad(float half);
// The octagon of the radius at z = 0 facing +z, its texture's middle at
// the centre and the texture's circle through its corners.
void shapes_draw_octagon(float radius);
// The quadrics kept for disks (2 while the lists exist, else 0).
int shapes_quadrics_made(void);

// Posed drawers that draw at once whatever the shader path does, in the
// current colour's material. A triangle through a, b, c of the posed frame
// (not filled: the edges a-b and b-c only); a cylinder about the local z
// axis from -length / 2 to +length / 2, whose caps show two darker wedges
// (so that its turning can be seen).
void render_triangle(const float *pos, const float *R, const float *a, const float *b, const float *c, int filled);
void render_cylinder(const float *pos, const float *R, float length, float radius);
// Unlit, in the current colour: a square of the side centred on the point
// in the plane z (the word before the width unused; lines, or on the shader
// path four bars of the width), and a line.
void draw_square_outline(float x, float y, float z, int unused, float width, float side);
void draw_line_3d(const float *a, const float *b);
// A 2D partial disk at a window point (angles in degrees from +y towards
// +x), unlit, without culling or depth test, blended additively or over.
// Slices are kept to 1..1024 and loops to 1..256; values that are not
// numbers draw nothing.
void render_disk(float x, float y, float inner, float outer, int slices, int loops, float start, float sweep,
                 int additive);
// A flat ring between the radii at the point in the current colour: lit in
// that colour's material on the shader path, unlit on the fixed path;
// optionally textured (the texture repeating 16 times round); the slice,
// loop and angle arguments are not used: the ring is always whole.
void draw_ring_3d(const float *pos, float ra, float rb, int slices, int loops, float start, float sweep,
                  int additive, const Texture *tex);
// The projection for small 3D figures over the frame: the modelview pushed
// and a 50-degree square perspective; pop_perspective gives back the
// camera's field of view (window aspect), the modelview and the whole
// window's viewport. camera_set_fov keeps a new field of view (50 at
// start; refused outside 0..180) and sets its projection.
void push_square_perspective(void);
void pop_perspective(void);
void camera_set_fov(float fov);
// Looks at the point from 3 units in front (-y), up +z, in the viewport
// at origin (from the window's top left) of size, its depth cleared.
void set_view_from_front(const int *origin, const int *size, const float *point);
