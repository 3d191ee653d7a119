// Drawing the bump meshes with texture combiners on four units, and the
// normalisation cube map they use. Needs the GL context.
#pragma once
#include "render/bump_mesh.h"

bool normalisation_cube_map_supported(void);
// Makes the cube map once (its name is kept for the program's life) and
// fills its six faces.
void normalisation_cube_map_init(void);
unsigned normalisation_cube_map_id(void);
// The constant-colour texture the bump drawers make on first use; 0 before.
unsigned bump_constant_texture_id(void);
// Deletes the cube map and the constant-colour texture (the renderer's
// release, so no GL name outlives it).
void bump_textures_free(void);
// The camera position the light vectors are computed from.
void bump_mesh_set_camera(const float *camera);
// Sizes: the sphere's radius three times; the box's sides; the capsule's
// radius, unused, length. The current modelview already places the body.
void bump_mesh_draw_sphere(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                           unsigned color_id);
void bump_mesh_draw_box(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                        unsigned color_id);
void bump_mesh_draw_capsule(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                            unsigned color_id);
