#include <GL/glew.h>

#include "render/bump_shapes_gl.h"

#include <cstdio>

#include "render/bump_mesh_gl.h"

static BumpMesh g_prims[BUMP_PRIMS];
static int g_supported;

void init_bump_mapping(void)
{
    free_bump_mapping();
    if (!normalisation_cube_map_supported()) {
        fprintf(stderr, "Extensions for bump mapping unsupported\n");
        return;
    }
    normalisation_cube_map_init();
    const bool made = bump_mesh_make_sphere(&g_prims[BUMP_PRIM_SPHERE]) &&
                      bump_mesh_make_box(&g_prims[BUMP_PRIM_BOX]) &&
                      bump_mesh_make_capsule(&g_prims[BUMP_PRIM_CAPSULE]);
    g_supported = made ? 1 : 0;
}

void free_bump_mapping(void)
{
    for (BumpMesh &m : g_prims)
        primitives_free(&m);
    bump_textures_free();
    g_supported = 0;
}

int bump_mapping_supported(void) { return g_supported; }

BumpMesh *bump_primitive(int k)
{
    return g_supported && k >= 0 && k < BUMP_PRIMS ? &g_prims[k] : nullptr;
}
