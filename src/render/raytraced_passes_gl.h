// The ray-traced passes of the opaque shapes, run by the opaque pass after
// it has drawn every opaque shape and written its number into the stencil
// buffer (raytrace_plan.h numbers them the same way). Each pass redraws an
// object only where the stencil holds its number: mirror images of the
// scene on spheres and capsules, shadows of nearby spheres, capsules and
// boxes traced per pixel, and a shiny shading darkened by the occluder
// spheres around the object. They leave the stencil test off and the depth
// function less-or-equal.
#pragma once

struct DrawRecord;

// The frame's batched mesh drawn as its reflection on every opaque sphere
// and capsule; nothing when the reflection program did not link.
void draw_reflector_pass(void);
void draw_raytraced_shadows(void);
void draw_shiny_pass(void);
// Sets "occa" .. "occl" of the program (made current) to the twelve
// occluders chosen for the record.
void choose_occluders(unsigned program, const DrawRecord *record);
