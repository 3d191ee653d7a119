#include <GL/glew.h>

#include "render/frame_begin_gl.h"

#include <initializer_list>
#include "app/base/options.h"
#include "render/floor_patches.h"
#include "render/graphics_gl.h"
#include "render/shader_programs_gl.h"
#include "render/render_queues.h"
#include "render/scene_gl_state_gl.h"
#include "render/scene_links_gl.h"
#include "render/scene_passes_gl.h"
#include "render/shader_table.h"
#include "render/shapes_gl.h"
#include "render/sky_gl.h"
#include "render/stain_pass_gl.h"
#include "render/world_shader.h"

// The camera's world position from the modelview matrix: -R^T t.
static void read_camera_position(void)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    float eye[3];
    for (int k = 0; k < 3; k++)
        eye[k] = -(m[4 * k] * m[12] + m[4 * k + 1] * m[13] + m[4 * k + 2] * m[14]);
    set_frame_camera_position(eye);
}

static void light_uniforms(void)
{
    const ActivePrograms &ap = active_programs();
    const float *l = world_shader_value(WS_AMBIENT_LIGHT_DIR), *s = world_shader_value(WS_SUN_LIGHT_DIR);
    const float *sun = world_shader_value(WS_SUNSHINE_COLOR), *amb = world_shader_value(WS_AMBIENT_COLOR);
    const unsigned shiny[2] = {shader_row_handle(SH_DIFF_AO12_SHINY), shader_row_handle(SH_DIFFTEX_AO12_SHINY)};
    for (unsigned p : {ap.diff, ap.difftex, ap.tcgen, ap.simp, ap.simptex, ap.simpd, ap.simpdtex, ap.bump,
                       ap.tcgen_bump, shiny[0], shiny[1]}) {
        if (!p)
            continue;
        use_program(p);
        set_uniform_3fv("lightdir", l);
    }
    for (unsigned p : {ap.simpd, ap.simpdtex}) {
        if (!p)
            continue;
        use_program(p);
        set_uniform_3fv("lightdir_sun", s);
        set_uniform_4f("sun_color", sun[0], sun[1], sun[2], 0);
        set_uniform_4f("ambient_color", amb[0], amb[1], amb[2], 0);
    }
    for (unsigned p : {ap.shadow, ap.shadow_floor}) {
        if (!p)
            continue;
        use_program(p);
        set_uniform_3fv("vlightdir", l);
    }
    for (unsigned p : {ap.simp, ap.simptex}) {
        if (!p)
            continue;
        use_program(p);
        set_uniform_2f("lightfov", 1, 0);
    }
    for (int row : {SH_REFLECTION, SH_CAPSULEREFLECTION, SH_DIFF_AO12_SHINY, SH_DIFFTEX_AO12_SHINY}) {
        if (const unsigned p = shader_row_handle(row)) {
            use_program(p);
            set_uniform_3fv("lightdir", l);
            set_uniform_2f("lightfov", 0.25f, 0.75f);
        }
    }
}

// Without a sky, the floor's mirror shows the background darkened by the
// mirror's colour.
static void mirror_background(void)
{
    const float *bg = world_shader_value(WS_BACKGROUND_COLOR), *m = world_shader_value(WS_MIRROR_COLOR);
    static const float k_id[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, origin[3] = {0, 0, 0};
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    load_object_texture_matrix(k_id, origin);
    use_program(0);
    glColor4f(bg[0] * m[0], bg[1] * m[1], bg[2] * m[2], 1);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    draw_ground_plane(origin);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
}

void begin_frame(void)
{
    if (!shaders_active())
        return;
    read_camera_position();
    run_timed_pass(PASS_SKY, [] { draw_sky(1, 3); });
    light_uniforms();
    render_queues_reset();
    if (option_get(OPT_REFLECTION) && !world_shader_flag(WS_SKY_ON))
        mirror_background();
    use_program(0);
}

const float *frame_clear_colour(void)
{
    return shaders_active() ? world_shader_value(WS_BACKGROUND_COLOR) : get_clear_color();
}

// Remakes the sky after a change of the world's look; 0 while the shader
// path is off (the look then only changes the HUD's colours).
static int rebuild_sky(void)
{
    if (!shaders_active())
        return 0;
    build_sky_textures();
    return 1;
}

void scene_renderer_start(void)
{
    world_shader_set_sky_hook(rebuild_sky);
    if (!shaders_active())
        return;
    build_sky_textures();
    init_floor_patches();
    clear_floor_patches();
}
