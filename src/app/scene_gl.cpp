#include "app/scene_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cstring>
#include <initializer_list>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/screen_points_gl.h"
#include "app/window_sdl.h"
#include "game/blood.h"
#include "game/frame_cache.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/turn_control.h"
#include "game/world_physics.h"
#include "gui/hud_gl.h"
#include "gui/menu_overlay_gl.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "particles/flames.h"
#include "render/particles_draw_gl.h"
#include "render/blood_draw_gl.h"
#include "render/fighter_draw_gl.h"
#include "render/fighter_look.h"
#include "render/frame_begin_gl.h"
#include "render/graphics_gl.h"
#include "render/markers_gl.h"
#include "render/scene_passes_gl.h"
#include "render/shapes_gl.h"
#include "render/shapes_textured_gl.h"
#include "script/script_context.h"
#include "script/script_hooks.h"

static GLdouble g_model[16], g_proj[16];
static GLint g_view[4];
static int g_have_matrices;
static int g_suppress_3d;

void gl_init_state(void)
{
    glViewport(0, 0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    glClearAccum(1, 1, 1, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLfloat ambient[] = {0, 0, 0, 1}, specular[] = {1, 1, 1, 1};
    const GLfloat diffuse0[] = {1, 1, 1, 1}, diffuse1[] = {-1, -1, -1, 1};
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
        glLightfv(light, GL_AMBIENT, ambient);
        glLightfv(light, GL_SPECULAR, specular);
    }
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    get_camera()->fov = get_camera()->fov > 0 ? get_camera()->fov : 50.0f;
}

// The camera's projection has the window's aspect (the options' size).
static void place_camera(void)
{
    const CameraState *cam = get_camera();
    camera_set_fov(cam->fov);
    glLoadIdentity();
    gluLookAt(cam->eye[0], cam->eye[1], cam->eye[2], cam->look[0], cam->look[1], cam->look[2], 0, 0, 1);
    float light[4];
    scene_light_position(cam->eye, light);
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    shapes_set_light(light);
    textured_shapes_set_view(cam->eye);
    glGetDoublev(GL_MODELVIEW_MATRIX, g_model);
    glGetDoublev(GL_PROJECTION_MATRIX, g_proj);
    glGetIntegerv(GL_VIEWPORT, g_view);
    g_have_matrices = 1;
}

void setup_scene(int width, int height, MainLoopCallbacks *cb, int arg)
{
    const float *bg = get_clear_color();
    glClearColor(bg[0], bg[1], bg[2], 0);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);         // shapes are unit lists scaled to size
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_BLEND);
    place_camera();
    g_suppress_3d = 0;
    if (cb && cb->tick)
        cb->tick(arg);
    if (option_get(OPT_FRAMERATE) == 30 && cb && cb->tick) {
        g_suppress_3d = 1;
        cb->tick(arg);
        g_suppress_3d = 0;
    }
}

int is_extra_tick(void) { return g_suppress_3d; }

int world_to_screen(float x, float y, float z, double out[3])
{
    if (!g_have_matrices)
        return 1;
    if (!gluProject(x, y, z, g_model, g_proj, g_view, &out[0], &out[1], &out[2]))
        return 1;
    out[1] = option_get(OPT_HEIGHT) - out[1];
    return 0;
}

void unproject_cursor(float x, float y, double near_pt[3], double far_pt[3])
{
    const double wy = g_view[3] - y - 1;
    gluUnProject(x, wy, 0.0, g_model, g_proj, g_view, &near_pt[0], &near_pt[1], &near_pt[2]);
    gluUnProject(x, wy, 1.0, g_model, g_proj, g_view, &far_pt[0], &far_pt[1], &far_pt[2]);
}

void push_ortho(void)
{
    push_ortho_2d((float)option_get(OPT_WIDTH), (float)option_get(OPT_HEIGHT));
}

void pop_ortho(void)
{
    pop_ortho_2d();
}

// The shadow pass: every fighter's bodies and joints flattened onto the floor.
static void draw_occluders(WorldState *w)
{
    const int n = fighter_count();
    shadow_pass_begin();
    for (int i = 0; i < n; i++)
        draw_fighter_bodies(w, i, DRAW_SHADOW, 1);
    for (int i = 0; i < n; i++)
        draw_joint_geoms(i, 7, DRAW_SHADOW, 1);
    draw_env_objects(DRAW_SHADOW);
    shadow_pass_end();
}

// The fighters where they stand (also while the ghost preview runs): the
// joint-state display for play, plain joints for a replay.
static void draw_fighters(WorldState *w, int replay)
{
    frame_maxima_reset();
    const int n = fighter_count();
    opaque_pass_begin();
    for (int i = 0; i < n; i++) {
        draw_fighter_bodies(w, i, DRAW_NORMAL, 1);
        if (replay)
            draw_fighter_joints_plain(w, i, DRAW_NORMAL, 1);
        else
            draw_fighter_joints(w, i, DRAW_NORMAL, 1);
    }
    draw_env_objects(DRAW_NORMAL);
    opaque_pass_end();
}

// Ghost mode 2: every fighter's ghost; 1: the selected fighter's.
static void draw_ghosts(WorldState *w)
{
    if (w->ghost_mode == 0)
        return;
    const float alpha = ghost_alpha(w);
    const int n = fighter_count();
    const int sel = get_game_globals()->selected_player;
    see_through_pass_begin();
    for (int i = 0; i < n; i++) {
        Player *g = get_player(n + i);
        if (!g || g->hidden || (w->ghost_mode == 1 && i != sel))
            continue;
        draw_ghost_bodies(n + i, DRAW_NORMAL, alpha);
        draw_joint_geoms(n + i, g->colour, DRAW_NORMAL, alpha);
    }
    draw_ghost_env_objects(DRAW_NORMAL, alpha);
    see_through_pass_end();
}

// The free camera's keyframes: the one at this frame larger.
static void draw_camera_keyframes(const WorldState *w)
{
    if (get_camera_keyframe_count() <= 0)
        return;
    gl_set_color(1, 1, 0, 1);
    for (int f = 0; f <= 2048; f++) {
        float eye[3], look[3];
        if (get_camera_keyframe(f, eye, look) != 0)
            continue;
        const double at[3] = {eye[0], eye[1], eye[2]};
        draw_marker_sphere(at, f == w->frame ? 0.2f : 0.05f);
    }
}

void draw_frame(int arg)
{
    (void)arg;
    WorldState *w = get_game_state();
    if (option_get(OPT_PARTICLES) && ((!w->frozen && w->ghost_mode == 0) || w->frame == 0))
        flames_update();
    if (g_suppress_3d)
        return;
    draw_menu_background();
    const MenuState *menu = menu_current_row();
    if (!menu->world_runs) {
        if (menu->draw2d) {
            push_ortho();
            menu->draw2d();
            update_cursor_shape();
            pop_ortho();
        }
        return;
    }
    camera_update(w, 0.97f);
    place_camera();
    set_render_view_mode(get_view_mode());
    begin_frame();
    const int replay = get_game_globals()->replay_mode != 0;
    if (!shaders_active())   // the shader path draws its own floor at the end
        draw_floor();
    draw_occluders(w);
    draw_fighters(w, replay);
    if (frame_cache_playback())
        draw_cached_grip_markers(w->frame);
    else
        draw_hand_markers(w);
    refresh_screen_points(w);
    if (!shaders_active()) {
        draw_flames_and_trails();
        draw_body_overlay(get_match_rules());
        draw_object_overlay(w);
    }
    if (option_get(OPT_BLOOD)) {
        blood_sprite_begin();
        draw_blood_drops();
        blood_sprite_end();
    }
    draw_ghosts(w);
    draw_camera_keyframes(w);
    if (get_view_mode() == 5) {
        gl_set_color(1, 1, 0, 1);
        draw_cross_marker(get_camera()->look);
    }
    fire_hook_draw3d(get_script_ctx());
    draw_scene();
    if (menu->draw2d) {
        glDisable(GL_LIGHTING);
        push_ortho();
        menu->draw2d();
        update_cursor_shape();
        pop_ortho();
        return;
    }
    // The HUD's figures draw without the shader path; the flag goes back to
    // what it was, not to the option. In a network game the fighters turn
    // as small figures in the top corners, a turn every 7.2 seconds.
    if (option_get(OPT_AVATAR)) {
        const int saved = shaders_active();
        set_shaders_active(0);
        if (get_game_globals()->network_mode != 0) {
            push_square_perspective();
            draw_player_corner_figures(option_get(OPT_WIDTH), option_get(OPT_HEIGHT),
                                       (float)(clock_ms() / 20 % 360));
            pop_perspective();
        }
        set_shaders_active(saved);
    }
    glDisable(GL_LIGHTING);
    push_ortho();
    if (hud_shown())
        draw_hud(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    fire_hook_draw2d(get_script_ctx());
    update_cursor_shape();
    pop_ortho();
}
