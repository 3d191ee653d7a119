#include <GL/glew.h>

#include "render/bump_shapes_gl.h"

#include <cstdio>

#include "render/bump_mesh_gl.h"

static BumpMesh g_prims[BUMP_PRIMITIVES];
static bool g_supported;

void init_bump_mapping(void)
{
    free_bump_mapping();
    static bool told;
    if (!normalisation_cube_map_supported()) {
        if (!told)
            fprintf(stderr, "Extensions for bump mapping unsupported\n");
        told = true;
        return;
    }
    normalisation_cube_map_init();
    const bool made = bump_mesh_make_sphere(&g_prims[BUMP_SPHERE]) &&
                      bump_mesh_make_box(&g_prims[BUMP_BOX]) &&
                      bump_mesh_make_capsule(&g_prims[BUMP_CAPSULE]);
    g_supported = made;
}

void free_bump_mapping(void)
{
    for (BumpMesh &m : g_prims)
        primitives_free(&m);
    bump_textures_free();
    g_supported = false;
}

bool bump_mapping_supported(void) { return g_supported; }

BumpMesh *bump_primitive(int which)
{
    return g_supported && which >= 0 && which < BUMP_PRIMITIVES ? &g_prims[which] : nullptr;
}
