// The shape drawers for shapes that wear a texture, a bump map or a shine:
// kind 8 draws lit and textured (through the bump meshes and the texture
// combiners when a bump map is loaded and this GL offers bump mapping); a
// shape whose flags word is set and whose colour is opaque is shiny (its
// own material, then a shine pass that brightens its rim towards the
// camera). Every other case goes to the plain drawers of shapes_gl.h.
#pragma once

struct Texture;

// The frame's camera eye (world), set once per frame with the camera: the
// shine lights from it, the bump light vectors are computed from it.
void textured_shapes_set_view(const float *eye);

// Textures may be null or not loaded (then they count as absent). vel and
// spin as for the plain drawers (shapes_gl.h).
void render_sphere_skin(const float *pos, const float *R, float radius, int kind, const Texture *color,
                        const Texture *bump, int flags, const float *vel = nullptr, const float *spin = nullptr);
void render_box_skin(const float *pos, const float *R, const float *sides, int kind, const Texture *color,
                     const Texture *bump, int flags, const float *vel = nullptr, const float *spin = nullptr);
void render_capsule_skin(const float *pos, const float *R, float length, float radius, int kind,
                         const Texture *color, const Texture *bump, int flags, const float *vel = nullptr,
                         const float *spin = nullptr);
// The half of a sphere on the side of the axis; kind 64 closes the cut
// with a disc, 128 leaves it open. Textured when a texture is loaded.
void render_hemisphere_skin(const float *pos, const float *R, float radius, const float *axis, int kind,
                            const Texture *color, const Texture *bump);

// Inside an opaque pass the shiny shapes are gathered and drawn together
// when the pass ends (opaque_pass_end calls this): their lit passes under
// one state, then their shine passes under another. They are opaque, so the
// depth test leaves the picture as if each had been drawn in its place.
void shiny_shapes_flush(void);

// The shiny material: ambient 0.5 of the colour, diffuse 0.765, a grey
// highlight, shininess 25.6.
void set_shiny_material(float r, float g, float b, float a);
