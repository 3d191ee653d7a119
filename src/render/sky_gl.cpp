#include <GL/glew.h>

#include "render/sky_gl.h"

#include <initializer_list>
#include <cmath>
#include <vector>

#include "render/render_queues.h"
#include "render/render_targets_gl.h"
#include "render/scene_gl_state_gl.h"
#include "render/shader_programs_gl.h"
#include "render/scene_links_gl.h"
#include "render/shader_table.h"
#include "render/sky_texture.h"
#include "render/world_shader.h"

// The two texture names live in the render targets' record, so that the
// one release routine deletes them with the rest.

void free_sky_textures(void)
{
    for (unsigned *t : {&sky_textures().sky, &sky_textures().sun})
        if (*t) {
            glDeleteTextures(1, t);
            *t = 0;
        }
}

static void copy3(const float *from, float *to)
{
    for (int k = 0; k < 3; k++)
        to[k] = from[k];
}

void build_sky_textures(void)
{
    SkyLook look;
    copy3(world_shader_value(WS_SKY_COLOR), look.sky);
    copy3(world_shader_value(WS_SUN_COLOR), look.sun);
    copy3(world_shader_value(WS_SUNBEAM_COLOR), look.sunbeam);
    copy3(world_shader_value(WS_POLAR_LIGHT_COLOR), look.polar);
    copy3(world_shader_value(WS_BACKGROUND_COLOR), look.background);
    copy3(world_shader_value(WS_SUN_LIGHT_DIR), look.sun_dir);
    copy3(world_shader_value(WS_POLAR_LIGHT_DIR), look.polar_dir);
    look.blend_power = world_shader_value(WS_SKY_BLEND_POWER)[0];
    free_sky_textures();
    std::vector<uint32_t> px(SKY_TEXTURE_SIZE * SKY_TEXTURE_SIZE);
    make_sky_pixels(&look, px.data());
    sky_textures().sky = create_texture_rgba(px.data(), SKY_TEXTURE_SIZE, SKY_TEXTURE_SIZE);
    px.resize(SUN_TEXTURE_SIZE * SUN_TEXTURE_SIZE);
    make_sun_pixels(look.sun, px.data());
    sky_textures().sun = create_texture_rgba(px.data(), SUN_TEXTURE_SIZE, SUN_TEXTURE_SIZE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

unsigned sky_texture(void) { return sky_textures().sky; }
unsigned sun_texture(void) { return sky_textures().sun; }

void draw_sun_sprite(void)
{
    const float *s = world_shader_value(WS_SUN_LIGHT_DIR);
    const float len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (!(len > 0))
        return;   // no sun direction, no sun
    const float d[3] = {s[0] / len, s[1] / len, s[2] / len};
    // Two unit vectors across the direction: one from the axis it is least
    // along, the other their cross product.
    const float ax = std::fabs(d[0]), ay = std::fabs(d[1]), az = std::fabs(d[2]);
    const float pick[3] = {ax <= ay && ax <= az ? 1.0f : 0, ay < ax && ay <= az ? 1.0f : 0,
                           az < ax && az < ay ? 1.0f : 0};
    float a[3] = {d[1] * pick[2] - d[2] * pick[1], d[2] * pick[0] - d[0] * pick[2], d[0] * pick[1] - d[1] * pick[0]};
    const float al = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    for (float &c : a)
        c /= al;
    const float b[3] = {d[1] * a[2] - d[2] * a[1], d[2] * a[0] - d[0] * a[2], d[0] * a[1] - d[1] * a[0]};
    const float half = 0.075f * 550, corner[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {1, 1}, {-1, 1}, {-1, -1}};
    float pos[18], normal[18], uv[12];
    for (int i = 0; i < 6; i++) {
        for (int k = 0; k < 3; k++) {
            pos[3 * i + k] = 550 * d[k] + half * (corner[i][0] * a[k] + corner[i][1] * b[k]);
            normal[3 * i + k] = -d[k];
        }
        uv[2 * i] = 0.5f * (corner[i][0] + 1);
        uv[2 * i + 1] = 0.5f * (corner[i][1] + 1);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_CULL_FACE);   // seen from either side as the dome turns
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pos);
    glNormalPointer(GL_FLOAT, 0, normal);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_CULL_FACE);
}

// The dome round the eye (mirrored: its image below the floor) and, when
// asked, the sun sprite blended over it; both tinted (the mirror's colour
// below the floor). The sky program is in use.
static void draw_dome(const float *eye, int mirrored, unsigned sky, unsigned sun_tex, const float *tint,
                      int draw_sun)
{
    const float *sun = world_shader_value(WS_SUN_COLOR);
    set_global_colour(tint[0] * 2, tint[1] * 2, tint[2] * 2, 0);
    load_scaled_texture_matrix(950, eye, mirrored);
    glBindTexture(GL_TEXTURE_2D, sky);
    scene_mesh_draw(SCENE_MESH_SKY, 0, 1);
    glBindTexture(GL_TEXTURE_2D, sun_tex);
    load_scaled_texture_matrix(1, eye, mirrored);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (draw_sun) {
        set_global_colour(tint[0] * sun[0], tint[1] * sun[1], tint[2] * sun[2], 1);
        draw_sun_sprite();
    }
    glDisable(GL_BLEND);
}

void draw_sky(int draw_sun, int which)
{
    const unsigned program = active_programs().topsimptex;
    const unsigned sky = sky_textures().sky, sun_tex = sky_textures().sun;
    if (!world_shader_flag(WS_SKY_ON) || !program || !sky || !sun_tex || !scene_mesh_ready(SCENE_MESH_SKY))
        return;
    const float *eye = frame_camera_position();
    bind_texture_unit(0, sky);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    use_program(program);
    set_uniform_2f("lightfov", 0, 2);
    set_global_colour(2, 2, 2, 0);
    // The dome is seen from inside: its faces turn clockwise, and the other
    // way round in the mirror image. Set for each dome, since the sun
    // sprite turns culling back on.
    static const float white[3] = {1, 1, 1};
    if (which & 1) {
        glFrontFace(GL_CW);
        draw_dome(eye, 0, sky, sun_tex, white, draw_sun);
    }
    glFrontFace(GL_CCW);
    if (which & 2) {
        // The shell is a whole sphere: its mirror image counts only below
        // the floor, where the floor shows it; above, the sky stays. The
        // plane is given in world space (the model-view holds the camera).
        static const GLdouble below_floor[4] = {0, 0, -1, 0};
        glClipPlane(GL_CLIP_PLANE0, below_floor);
        glEnable(GL_CLIP_PLANE0);
        draw_dome(eye, 1, sky, sun_tex, world_shader_value(WS_MIRROR_COLOR), draw_sun);
        glDisable(GL_CLIP_PLANE0);
    }
    glDisable(GL_BLEND);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    use_program(0);
    scene_mesh_unbind();
}
