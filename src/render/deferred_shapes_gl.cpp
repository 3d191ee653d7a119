#include <GL/glew.h>

#include "render/deferred_shapes_gl.h"

#include <cmath>

#include "render/fighter_look.h"
#include "render/shapes_gl.h"

void deferred_shape_draw(const DeferredShape *s)
{
    static const float k_axis[3] = {1, 0, 0};
    if (!s)
        return;
    const float offset = std::isfinite(s->depth_offset) ? s->depth_offset * 1.25f : 0.0f;
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT);
    glShadeModel(s->shade_model == GL_FLAT ? GL_FLAT : GL_SMOOTH);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(offset, offset);
    gl_set_color(s->color[0], s->color[1], s->color[2], s->color[3]);
    switch (s->kind) {
    case DEFERRED_CAPSULE: render_capsule(s->pos, s->rot, s->sizes[1], s->sizes[0], DRAW_NORMAL); break;
    case DEFERRED_SPHERE: render_sphere(s->pos, s->rot, s->sizes[0], DRAW_NORMAL); break;
    case DEFERRED_BOX: render_box(s->pos, s->rot, s->sizes, DRAW_NORMAL); break;
    case DEFERRED_HEMISPHERE: render_hemisphere(s->pos, s->rot, s->sizes[0], k_axis, DRAW_NORMAL); break;
    default: break;
    }
    glPopAttrib();
}
