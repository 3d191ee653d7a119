// What the shader path's frame passes take from the programs, meshes and
// render targets: the queue's mesh names resolved to the built-in meshes
// and the off-screen targets by role.
#pragma once

// The built-in mesh (mesh_gl.h) a queue mesh name stands for.
int scene_mesh_ref(int mesh);
// 1 when the mesh (and its shadow-volume twin) exists with triangles.
int scene_mesh_ready(int mesh);
// Binds the drawing mesh (twin 0) or its shadow-volume twin (twin 1) and
// draws its triangles; fraction > 1 draws only the first index count /
// fraction indices. A missing mesh draws nothing.
void scene_mesh_draw(int mesh, int twin, int fraction);
void scene_mesh_unbind(void);

// The quarter-size target of the soft shadows and the floor stains' target:
// 1 when it exists; binding it (or the window, -1) for drawing; its texture.
enum { SCENE_TARGET_QUARTER = 0, SCENE_TARGET_FLOOR = 1, SCENE_TARGET_WINDOW = -1 };
int scene_target_ready(int target);
void scene_target_bind(int target);
unsigned scene_target_texture(int target);
// What the floor reads its soft shadows from: the quarter-size target's
// texture, or without that target a texture of one transparent texel (no
// shadow anywhere), so that the floor is drawn lit either way.
unsigned scene_soft_shadow_texture(void);

// The depth-of-field post effect over the finished frame (when it is on).
void scene_depth_of_field(void);
// The ray-traced passes of the opaque shapes (reflections, traced shadows,
// shiny occlusion), after the opaque shapes have marked their pixels.
void draw_raytraced_passes(void);
