// What the ray-traced passes hand the programs, worked out without OpenGL:
// the occluder spheres chosen for one object (the nearest by a score that
// favours occluders on the light's side), and, per object and shape kind,
// the neighbouring ray objects in batches of the programs' fixed object
// counts with the uniforms of each batch.
#pragma once
#include "render/render_queues.h"

enum { CHOSEN_OCCLUDERS = 12, RAY_BATCH_UNIFORMS = 16 };

// The twelve occluders for an object at pos, as {x, y, z, radius}, in order
// of increasing score dist^2 radius^2 / w^2 with w = (u . L) 0.1 + 0.6, u the
// unit direction from the object to the occluder and L the unit light
// direction (zero when light_dir is zero). Occluders whose centre is within
// 0.2 of their radius from pos are left out. Slots past the chosen ones are
// (0, 0, 0, 0).
void choose_occluder_set(const float *pos, const float *light_dir, float out[CHOSEN_OCCLUDERS][4]);

// The queue's opaque records in the numbering every opaque pass shares:
// records that are not see-through and whose mode is not 2, numbered 0,
// 1, 2, ... in queue order, modulo 256.
bool raytrace_numbered_record(const DrawRecord *r);

// The ray objects of a shape kind (QUEUED_SPHERE, _CAPSULE, _BOX) that can
// shadow record r, in list order: centre distance d with
// 0.001 < d < 2 x (r's shadow radius) + (their bounding radius). An entry
// centred on r itself is skipped. Returns the count written (at most cap).
int gather_ray_neighbours(const DrawRecord *r, int kind, int *out, int cap);

// The most objects one program of the kind handles (6, 4, 2; 0 otherwise).
int ray_batch_limit(int kind);

struct RayUniform {
    char name[4];
    float v[4];
};
// One draw of the traced shadows: the program row for `count` objects of
// the kind and the per-object uniforms ("s0".. "c0".. "a0".. for spheres
// and capsules; "sa".. "sp" for boxes).
struct RayBatch {
    int kind;
    int count;
    int row;                    // shader_table.h row, -1 when there is none
    int uniform_count;
    RayUniform uniforms[RAY_BATCH_UNIFORMS];
};
// Splits the neighbours (indexes into the ray object list) into batches of
// at most ray_batch_limit(kind) objects, in order. Returns the batch count
// written (at most cap).
int plan_ray_batches(int kind, const int *neighbours, int count, RayBatch *out, int cap);
