#include <GL/glew.h>

#include "render/scene_links_gl.h"

#include "render/mesh_gl.h"
#include "render/render_queues.h"
#include "render/render_targets_gl.h"
#include "render/shader_programs_gl.h"

// The built-in mesh each queue mesh name stands for: spheres and capsules
// at the third level of subdivision, the second for the batched copy.
MeshRef scene_mesh_ref(int mesh)
{
    switch (mesh) {
    case SCENE_MESH_SPHERE: return MESH_SPHERE_1 + 2;
    case SCENE_MESH_SPHERE_COARSE: return MESH_SPHERE_1 + 1;
    case SCENE_MESH_BOX: return MESH_BOX;
    case SCENE_MESH_CAPSULE: return MESH_CAPSULE_1 + 2;
    case SCENE_MESH_CAPSULE_COARSE: return MESH_CAPSULE_1 + 1;
    case SCENE_MESH_DOME: return MESH_DOME_POLAR_1 + 2;
    case SCENE_MESH_SKY: return MESH_SHELL;
    default: return MESH_NONE;
    }
}

int scene_mesh_ready(int mesh)
{
    const Mesh *m = mesh_draw_part(scene_mesh_ref(mesh));
    return m && m->index_count > 0;
}

void scene_mesh_draw(int mesh, int twin, int fraction)
{
    const MeshRef ref = scene_mesh_ref(mesh);
    const Mesh *m = twin ? mesh_shadow_part(ref) : mesh_draw_part(ref);
    if (!m || m->index_count <= 0)
        return;
    if (twin)
        bind_plain_layout(m);
    else
        bind_textured_layout(m);
    const int count = fraction > 1 ? m->index_count / fraction : m->index_count;
    glDrawElements(GL_TRIANGLES, count, m->index_size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
}

void scene_mesh_unbind(void) { unbind_layout(); }

static int target_index(int target)
{
    if (target == SCENE_TARGET_FLOOR)
        return floor_target();
    return target == SCENE_TARGET_QUARTER && render_target(0) ? 0 : -1;
}

int scene_target_ready(int target) { return target_index(target) >= 0; }

void scene_target_bind(int target)
{
    const int index = target == SCENE_TARGET_WINDOW ? -1 : target_index(target);
    if (index >= 0 || target == SCENE_TARGET_WINDOW)
        bind_render_target(index);
}

unsigned scene_target_texture(int target)
{
    const RenderTarget *t = render_target(target_index(target));
    return t ? t->texture : 0;
}

unsigned scene_soft_shadow_texture(void)
{
    return scene_target_ready(SCENE_TARGET_QUARTER) ? scene_target_texture(SCENE_TARGET_QUARTER)
                                                    : no_shadow_texture();
}

void scene_depth_of_field(void)
{
    copy_depth_for_dof();
    depth_of_field_pass();
}
