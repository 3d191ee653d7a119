// Unit meshes for dot-3 bump mapping on the fixed-function path (a sphere,
// a box and a capsule) whose vertices carry a full tangent frame, the
// tangent-space light vectors computed before each draw, and the texels of
// the normalisation cube map. The GL side is bump_mesh_gl.cpp.
#pragma once
#include <cstdint>

struct BumpVertex {
    float pos[3];
    float st[2];
    float tangent[3];
    float binormal[3];
    float normal[3];
    float light[3];  // tangent-space light vector, rewritten on every draw
};
static_assert(sizeof(BumpVertex) == 17 * sizeof(float), "vertex arrays use a 68-byte stride");

struct BumpMesh {
    int32_t count = 0;
    BumpVertex *v = nullptr;
};

enum { BUMP_SPHERE_VERTICES = 840, BUMP_BOX_VERTICES = 24, BUMP_CAPSULE_VERTICES = 182 };
enum { BUMP_SPHERE_STRIP = 42, BUMP_CAPSULE_STRIP = 26 };

// Each returns false with a message when the vertices cannot be had (the
// mesh then stays empty).
bool bump_mesh_make_sphere(BumpMesh *m);
bool bump_mesh_make_box(BumpMesh *m);
bool bump_mesh_make_capsule(BumpMesh *m);
void primitives_free(BumpMesh *m);

// Tangent T from the normal (N x z or N x y, whichever is longer; ties to
// N x y), binormal N x T, both normalised.
void bump_mesh_tangents(BumpMesh *m);
// Box corners from the full sizes; capsule from radius and length.
void bump_mesh_set_box_size(BumpMesh *m, const float *sizes);
void bump_mesh_set_capsule_size(BumpMesh *m, float radius, float length);
// The eye in the mesh's unit space: the camera taken back through the
// body's position, rotation (3 x 3 in rows of four) and scale. Sizes that
// are zero or not finite count as 1.
void bump_eye_point(const float *pos, const float *rot, const float *sizes, const float *camera, float *eye);
// Light vector of every vertex: L = normalised(eye - P) + 0.5 N, stored as
// (T.L, B.L, N.L).
void bump_mesh_light_vectors(BumpMesh *m, const float *eye);

enum { CUBE_MAP_SIDE = 32, CUBE_MAP_FACE_BYTES = CUBE_MAP_SIDE * CUBE_MAP_SIDE * 3 };
// Face 0..5 (+X, -X, +Y, -Y, +Z, -Z): each texel the unit direction through
// it, mapped to 0..255.
void normalisation_cube_face(int face, uint8_t *texels);
