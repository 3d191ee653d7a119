#include "render/blood_draw_gl.h"

#include <GL/glew.h>

#include "app/base/options.h"
#include "game/game_callbacks.h"
#include "render/blood_draw.h"
#include "render/color_state.h"
#include "render/floor_patches_gl.h"
#include "render/graphics_gl.h"
#include "render/render_queues.h"
#include "render/shapes_gl.h"
#include "render/stain_pass_gl.h"

// The camera's right, up and back vectors in world space, read at the
// start of the drops (the rows of the modelview rotation).
static float g_right[3] = {1, 0, 0}, g_up[3] = {0, 0, 1}, g_back[3] = {0, -1, 0};

void blood_state_begin(void)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int k = 0; k < 3; k++) {
        g_right[k] = m[k * 4];
        g_up[k] = m[k * 4 + 1];
        g_back[k] = m[k * 4 + 2];
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_TRUE);
    glDisable(GL_LIGHTING);
}

void blood_sprite_begin(void)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    blood_state_begin();
    glDisable(GL_CULL_FACE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shapes_texture(1));
}

void draw_blood_drop_gl(const float *pos, const float *vel, float size, const float *rgb)
{
    // The shader path draws fluid blood from its queue at the frame's end.
    if (shaders_active() && option_get(OPT_FLUID)) {
        const float c[4] = {rgb[0], rgb[1], rgb[2], 1};
        set_color4fv(c);
        add_blood_drop(pos, vel, size);
        return;
    }
    // Facing the eye at the drop, the size its half width: the octagon disc
    // while the shader path draws (inside the sprite's circle, so wholly
    // opaque), else the unit quad cut to the sprite's circle.
    const GLfloat m[16] = {g_right[0], g_right[1], g_right[2], 0, g_up[0],   g_up[1],   g_up[2],   0,
                           g_back[0],  g_back[1],  g_back[2],  0, pos[0],    pos[1],    pos[2],    1};
    glColor4f(rgb[0], rgb[1], rgb[2], 1);
    glPushMatrix();
    glMultMatrixf(m);
    if (shaders_active())
        shapes_draw_octagon(size);
    else
        shapes_draw_quad(size);
    glPopMatrix();
}

void blood_sprite_end(void)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}

void blood_draw_gl_install(int on)
{
    game_callbacks()->blood_drop = on ? draw_blood_drop_gl : draw_blood_drop;
    game_callbacks()->blood_stain = on ? add_blood_stain_gl : add_blood_stain;
    game_callbacks()->floor_stains_clear = on ? clear_floor_patches : nullptr;
}
