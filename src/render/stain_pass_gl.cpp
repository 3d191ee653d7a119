#include <GL/glew.h>

#include "render/stain_pass_gl.h"

#include <vector>

#include "app/base/options.h"
#include "render/floor_patches.h"
#include "render/floor_patches_gl.h"
#include "render/scene_gl_state_gl.h"
#include "render/scene_links_gl.h"
#include "render/scene_passes_gl.h"
#include "render/shader_programs_gl.h"
#include "render/shader_table.h"

void clear_floor_patches(void)
{
    if (!option_get(OPT_SHADERS))
        return;
    clear_floor_patch_data();
    stain_splats().clear();
    if (!scene_target_ready(SCENE_TARGET_FLOOR))
        return;
    GLfloat old[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, old);
    scene_target_bind(SCENE_TARGET_FLOOR);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    scene_target_bind(SCENE_TARGET_WINDOW);
    glClearColor(old[0], old[1], old[2], old[3]);
}

// The waiting splats added into their atlas squares of the floor target,
// after the squares handed to new cells are cleared.
static void draw_splats(unsigned program)
{
    std::vector<StainSplatVertex> &splats = stain_splats();
    scene_target_bind(SCENE_TARGET_FLOOR);
    clear_reused_floor_squares();
    if (!splats.empty()) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        use_program(program);
        glColor4f(1, 0.3f, 0.2f, 1);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        const GLsizei stride = sizeof(StainSplatVertex);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, &splats[0].x);
        glClientActiveTexture(GL_TEXTURE1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(3, GL_FLOAT, stride, &splats[0].dx);
        glClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(3, GL_FLOAT, stride, &splats[0].s);
        glDrawArrays(GL_TRIANGLES, 0, (GLsizei)splats.size());
        glClientActiveTexture(GL_TEXTURE1);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
    scene_target_bind(SCENE_TARGET_WINDOW);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    use_program(0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// The stained cells on the floor, each textured from its atlas square.
static void draw_patches(unsigned program)
{
    const std::vector<FloorPatchVertex> &v = floor_patch_vertices();
    if (v.empty())
        return;
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    use_program(program);
    set_uniform_1i("texture0", 0);
    glDisable(GL_BLEND);
    bind_texture_unit(0, scene_target_texture(SCENE_TARGET_FLOOR));
    glColor4f(1, 0, 0, 1);
    const GLsizei stride = sizeof(FloorPatchVertex);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, &v[0].x);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, &v[0].colour);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, &v[0].u);
    glDrawArrays(GL_TRIANGLES, 0, (GLsizei)v.size());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    use_program(0);
}

void draw_stain_pass(void)
{
    if (!option_get(OPT_BLOODSTAINS))
        return;
    const ActivePrograms &ap = active_programs();
    const bool target = scene_target_ready(SCENE_TARGET_FLOOR) != 0;
    if (target && ap.stain && (!stain_splats().empty() || !floor_squares_to_clear().empty()))
        draw_splats(ap.stain);
    // Splats that could not be drawn are dropped all the same: the list
    // never grows from frame to frame.
    stain_splats().clear();
    if (target && ap.staincopy)
        draw_patches(ap.staincopy);
}
