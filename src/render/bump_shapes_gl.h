// Bump mapping on the fixed-function path: whether this GL offers it, and
// the three shared meshes (sphere, box, capsule) with the normalisation
// cube map it draws with. Made by init_bump_mapping at renderer start-up,
// released by free_bump_mapping at its release.
#pragma once
#include "render/bump_mesh.h"

enum { BUMP_SPHERE, BUMP_BOX, BUMP_CAPSULE, BUMP_PRIMITIVES };

// Without the extensions: "Extensions for bump mapping unsupported" on
// standard error (once for the program's life), and every bump draw takes
// the plain textured path. Otherwise the cube map and the three meshes.
void init_bump_mapping(void);
void free_bump_mapping(void);
bool bump_mapping_supported(void);
// Mesh `which`, or null when bump mapping is off or which is out of range.
BumpMesh *bump_primitive(int which);
