#include <GL/glew.h>

#include "render/mesh_gl.h"
#include "render/raytraced_passes_gl.h"
#include "render/render_queues.h"
#include "render/scene_links_gl.h"

// The ray-traced passes read the frame's opaque shapes as one batched mesh.
static void batch_queue_objects(void)
{
    batch_begin();
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if (r->translucent || r->mesh[0] == SCENE_MESH_NONE)
            continue;
        if (batch_append(scene_mesh_ref(r->mesh[0]), r->pos, r->scaled, r->colour) != 0)
            break;
    }
    batch_finish();
}

void draw_raytraced_passes(void)
{
    batch_queue_objects();
    draw_reflector_pass();
    draw_raytraced_shadows();
    draw_shiny_pass();
}
