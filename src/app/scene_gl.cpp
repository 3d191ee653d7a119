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
#include "game/env_objects.h"
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
#include "render/color_state.h"
#include "render/fighter_draw_gl.h"
#include "render/fighter_look.h"
#include "render/frame_begin_gl.h"
#include "render/graphics_gl.h"
#include "render/markers_gl.h"
#include "render/scene_passes_gl.h"
#include "render/shapes_gl.h"
#include "render/shapes_textured_gl.h"
#include "render/fighter_skin_gl.h"
#include "script/script_context.h"
#include "script/script_hooks.h"

static GLdouble g_model[16], g_proj[16];
static GLint g_view[4];
static int g_have_matrices;
static int g_suppress_3d;
// The colour the fighters' passes start from: a colour-table row (the
// world's "text_bg" unless changed), alpha 1.
enum { ROW_MENU_BLUE = 4, ROW_BASE_START = 78 };
static int g_base_colour_row = ROW_BASE_START;

static void set_base_colour(void) { set_color_index_alpha(g_base_colour_row, 1); }

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

void place_scene_light(void)
{
    float light[4];
    scene_light_position(get_camera()->eye, light);
    glLightfv(GL_LIGHT0, GL_POSITION, light);
}

// The camera's projection has the window's aspect (the options' size).
static void place_camera(void)
{
    const CameraState *cam = get_camera();
    camera_set_fov(cam->fov);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(cam->eye[0], cam->eye[1], cam->eye[2], cam->look[0], cam->look[1], cam->look[2], 0, 0, 1);
    place_scene_light();
    textured_shapes_set_view(cam->eye);
    glGetDoublev(GL_MODELVIEW_MATRIX, g_model);
    glGetDoublev(GL_PROJECTION_MATRIX, g_proj);
    glGetIntegerv(GL_VIEWPORT, g_view);
    g_have_matrices = 1;
}

void setup_scene(int width, int height, MainLoopCallbacks *cb, int arg)
{
    if (!g_suppress_3d) {
        const float *bg = frame_clear_colour();
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
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glEnable(GL_NORMALIZE);         // shapes are unit lists scaled to size
        glShadeModel(GL_FLAT);          // the drawers smooth what they shade
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glEnable(GL_BLEND);
        place_camera();
        glColor4f(1, 1, 1, 1);
    }
    if (cb && cb->tick)
        cb->tick(arg);
    if (option_get(OPT_FRAMERATE) == 30 && cb && cb->tick) {
        g_suppress_3d = 1;
        cb->tick(arg);
        g_suppress_3d = 0;
    }
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
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

// A fighter's shadow: its bodies and joints flattened onto the floor.
static void draw_fighter_shadow(WorldState *w, int i)
{
    draw_fighter_bodies(w, i, DRAW_SHADOW, 1);
    draw_joint_geoms(i, 7, DRAW_SHADOW, 1);
}

// A fighter where it stands: bodies and the joint-state display, or plain
// joints.
static void draw_fighter_full(WorldState *w, int i, float alpha)
{
    draw_fighter_bodies(w, i, DRAW_NORMAL, alpha);
    draw_fighter_joints(w, i, DRAW_NORMAL, alpha);
}

static void draw_fighter_plain(WorldState *w, int i, float alpha)
{
    draw_fighter_bodies(w, i, DRAW_NORMAL, alpha);
    draw_fighter_joints_plain(w, i, DRAW_NORMAL, alpha);
}

static bool network_live(void)
{
    const GameGlobals *g = get_game_globals();
    return g->replay_mode == 0 && g->network_mode != 0;
}

// The shadow pass of replays and single play (a network match casts its
// shadows in draw_fighters, by who holds a bout).
static void draw_occluders(WorldState *w)
{
    set_base_colour();
    if (network_live())
        return;
    const int n = fighter_count();
    shadow_pass_begin();
    for (int i = 0; i < n; i++)
        draw_fighter_bodies(w, i, DRAW_SHADOW, 1);
    for (int i = 0; i < n; i++)
        draw_joint_geoms(i, 7, DRAW_SHADOW, 1);
    draw_env_objects(DRAW_SHADOW);
    shadow_pass_end();
}

// The fighters where they stand (also while the ghost preview runs). A
// replay shows plain joints; single play the joint-state display. A network
// match shows faintly the fighters nobody plays yet, and the other players'
// fighters with plain joints; a spectator sees every joint state.
static void draw_fighters(WorldState *w)
{
    frame_maxima_reset();
    set_base_colour();
    const int n = fighter_count();
    const GameGlobals *g = get_game_globals();
    for (int i = 0; i < n; i++) {
        fighter_look_from_custom(i);
        const FighterLook *look = get_fighter_look(i);
        set_fighter_draw_flags(i, look->body_flags, look->head_flags);
    }
    for (int i = 0; i < 2 * n; i++)
        bruise_take_hits(w, i);
    if (!network_live()) {
        opaque_pass_begin();
        for (int i = 0; i < n; i++) {
            if (g->replay_mode != 0)
                draw_fighter_plain(w, i, 1);
            else
                draw_fighter_full(w, i, 1);
        }
        draw_env_objects(DRAW_NORMAL);
        opaque_pass_end();
        return;
    }
    const int bouts = g->bouts_present;
    shadow_pass_begin();
    draw_env_objects(DRAW_SHADOW);
    for (int i = 0; i < n; i++)
        if (bouts > 0 && (bouts >= n || i < bouts))
            draw_fighter_shadow(w, i);
    shadow_pass_end();
    opaque_pass_begin();
    draw_env_objects(DRAW_NORMAL);
    if (bouts <= 0) {
        for (int i = 0; i < n; i++)
            draw_fighter_full(w, i, 0.15f);
    } else if (bouts < n) {
        for (int i = 0; i < bouts; i++)
            draw_fighter_full(w, i, 1);
        for (int i = bouts; i < n; i++)
            draw_fighter_full(w, i, 0.15f);
    } else {
        const int own = find_own_slot();
        for (int i = 0; i < n; i++) {
            if (own < 0 || i == own)
                draw_fighter_full(w, i, 1);
            else
                draw_fighter_plain(w, i, 1);
        }
    }
    opaque_pass_end();
}

// Every environment-object joint whose hinge is active, with its axis.
static void draw_env_joint_markers(void)
{
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        const EnvObjectLink *l = get_env_link(i);
        if (!l || !l->hinge || !dJointIsEnabled(l->hinge))
            continue;
        dVector3 anchor, axis;
        dJointGetHingeAnchor(l->hinge, anchor);
        dJointGetHingeAxis(l->hinge, axis);
        const float at[3] = {(float)anchor[0], (float)anchor[1], (float)anchor[2]};
        const float ax[3] = {(float)axis[0], (float)axis[1], (float)axis[2]};
        draw_joint_axis_marker(at, ax);
    }
}

// The environment joints' markers always; then the ghosts: mode 2 every
// fighter's, 1 the selected fighter's (each hidden with its fighter).
static void draw_ghosts(WorldState *w)
{
    draw_env_joint_markers();
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
    w->flame_preview = get_menu_mode() == MENU_FLAME_FORGE;
    if (option_get(OPT_PARTICLES) &&
        ((!w->frozen && w->ghost_mode == 0) || w->flame_preview == 1 || w->frame == 0))
        flames_update();
    if (g_suppress_3d)
        return;
    draw_menu_background();
    const MenuState *menu = menu_current_row();
    set_color_index(ROW_MENU_BLUE);
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
    if (!shaders_active())   // the shader path draws its own floor at the end
        draw_floor(get_camera()->eye);
    draw_occluders(w);
    draw_fighters(w);
    if (frame_cache_playback())
        draw_cached_grip_markers(w->frame);
    else
        draw_hand_markers(w);
    refresh_screen_points(w);
    if (!shaders_active()) {
        draw_flames_and_trails();
        if (option_get(OPT_FLOORTEXTURE))
            draw_tracked_markers();
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
            const float angle = (float)(clock_ms() / 20 % 360);
            push_square_perspective();
            draw_hud_3d(option_get(OPT_WIDTH), option_get(OPT_HEIGHT), angle);
            draw_player_corner_figures(option_get(OPT_WIDTH), option_get(OPT_HEIGHT), angle);
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
