// Bump mapping on the fixed-function path: whether this GL offers it, and
// the three shared meshes (sphere, box, capsule) with the normalisation
// cube map it draws with. Made by init_bump_mapping at renderer start-up,
// released by free_bump_mapping at its release.
#pragma once
#include "render/bump_mesh.h"

enum { BUMP_PRIM_SPHERE, BUMP_PRIM_BOX, BUMP_PRIM_CAPSULE, BUMP_PRIMS };

// Without the extensions: "Extensions for bump mapping unsupported" on
// standard error, and every bump draw takes the plain textured path.
// Otherwise the cube map and the three meshes.
void init_bump_mapping(void);
void free_bump_mapping(void);
int bump_mapping_supported(void);
// Mesh k, or null when bump mapping is off or k is out of range.
BumpMesh *bump_primitive(int k);
