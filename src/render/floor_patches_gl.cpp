#include <GL/glew.h>

#include "render/floor_patches_gl.h"

#include "app/base/options.h"
#include "render/floor_patches.h"
#include "render/graphics_gl.h"

void add_blood_stain_gl(const float *pos, const float *vel, float size, const float *rgb)
{
    if (option_get(OPT_BLOODSTAINS) && shaders_active())
        add_floor_patch(pos, vel, size, rgb);
}

void clear_reused_floor_squares(void)
{
    std::vector<int> &slots = floor_squares_to_clear();
    if (slots.empty())
        return;
    const int texels = FLOOR_TARGET_SIDE / FLOOR_ATLAS_SIDE;
    GLfloat old_clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, old_clear);
    glClearColor(0, 0, 0, 0);
    glEnable(GL_SCISSOR_TEST);
    for (int slot : slots) {
        const FloorPatch *p = floor_patch(slot);
        if (!p)
            continue;
        glScissor((GLint)(p->u * FLOOR_TARGET_SIDE + 0.5f), (GLint)(p->v * FLOOR_TARGET_SIDE + 0.5f), texels,
                  texels);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glClearColor(old_clear[0], old_clear[1], old_clear[2], old_clear[3]);
    slots.clear();
}
