#include "app/scene_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cstring>
#include <initializer_list>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/turn_control.h"
#include "game/world_physics.h"
#include "gui/hud_gl.h"
#include "script/script_context.h"
#include "script/script_hooks.h"

static GLdouble g_model[16], g_proj[16];
static GLint g_view[4];
static int g_have_matrices;
static int g_suppress_3d;
static GLUquadric *g_quadric;

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

static void place_camera(int width, int height)
{
    const CameraState *cam = get_camera();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(cam->fov, height > 0 ? (double)width / height : 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(cam->eye[0], cam->eye[1], cam->eye[2], cam->look[0], cam->look[1], cam->look[2], 0, 0, 1);
    glGetDoublev(GL_MODELVIEW_MATRIX, g_model);
    glGetDoublev(GL_PROJECTION_MATRIX, g_proj);
    glGetIntegerv(GL_VIEWPORT, g_view);
    g_have_matrices = 1;
}

void setup_scene(int width, int height, MainLoopCallbacks *cb, int arg)
{
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    place_camera(width, height);
    g_suppress_3d = 0;
    if (cb && cb->tick)
        cb->tick(arg);
    if (option_get(OPT_FRAMERATE) == 30 && cb && cb->tick) {
        g_suppress_3d = 1;
        cb->tick(arg);
        g_suppress_3d = 0;
    }
}

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
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT), 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}

void pop_ortho(void)
{
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

static void draw_box(const dReal *sides)
{
    const float x = (float)sides[0] / 2, y = (float)sides[1] / 2, z = (float)sides[2] / 2;
    static const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const int v[6][4][3] = {
        {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
        {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
        {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
        {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
        {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
    };
    glBegin(GL_QUADS);
    for (int f = 0; f < 6; f++) {
        glNormal3fv(n[f]);
        for (int k = 0; k < 4; k++)
            glVertex3f(v[f][k][0] * x, v[f][k][1] * y, v[f][k][2] * z);
    }
    glEnd();
}

// One geom at its world pose with the shape of `shape`: the geom itself,
// or for a joint the sphere its transform holds.
static void draw_geom(dGeomID g, dGeomID shape)
{
    if (!g || !shape)
        return;
    double pos[3], R[12];
    geom_world_pose(g, pos, R);
    const GLdouble m[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0,
                            pos[0], pos[1], pos[2], 1};
    glPushMatrix();
    glMultMatrixd(m);
    switch (dGeomGetClass(shape)) {
    case dSphereClass:
        gluSphere(g_quadric, dGeomSphereGetRadius(shape), 16, 12);
        break;
    case dBoxClass: {
        dVector3 sides;
        dGeomBoxGetLengths(shape, sides);
        draw_box(sides);
        break;
    }
    case dCapsuleClass: {
        dReal r, len;
        dGeomCapsuleGetParams(shape, &r, &len);
        glTranslated(0, 0, -len / 2);
        gluCylinder(g_quadric, r, r, len, 16, 1);
        gluSphere(g_quadric, r, 16, 12);
        glTranslated(0, 0, len);
        gluSphere(g_quadric, r, 16, 12);
        break;
    }
    default:
        break;
    }
    glPopMatrix();
}

static void joint_colour(int state, int selected)
{
    static const float colours[5][3] = {
        {0.6f, 0.6f, 0.6f}, {0.9f, 0.1f, 0.1f}, {0.1f, 0.2f, 0.9f}, {0.3f, 0.3f, 0.3f}, {0.95f, 0.95f, 0.95f}};
    const float *c = colours[state >= 0 && state <= 4 ? state : 0];
    if (selected)
        glColor3f(1.0f, 0.9f, 0.0f);
    else
        glColor3fv(c);
}

// The fighters where they stand (also while the ghost preview has them
// switched off), then their ghosts, see-through, while the preview runs.
static void draw_fighters(void)
{
    static const float body_colours[2][3] = {{0.85f, 0.35f, 0.25f}, {0.25f, 0.45f, 0.85f}};
    const int sel = get_game_globals()->selected_player;
    const int n = fighter_count();
    for (int r = 0; r < 2 * n; r++) {
        Player *p = get_player(r);
        const int ghost = r >= n;
        if (!p || (ghost && p->hidden))
            continue;
        if (ghost) {
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
            glColor4f(0.5f, 0.5f, 0.5f, 0.25f);
        } else {
            glColor3fv(body_colours[r & 1]);
        }
        for (int b = 0; b < BODY_COUNT; b++)
            draw_geom(p->body_geoms[b], p->body_geoms[b]);
        for (int j = 0; j < JOINT_COUNT; j++) {
            if (p->joints[j].broken == JOINT_DISMEMBERED)
                continue;
            if (!ghost)
                joint_colour(get_joint_state(r, j), r == sel && j == get_selected_joint());
            draw_geom(p->joint_geoms[j], p->joint_spheres[j]);
        }
        if (ghost) {
            glDepthMask(GL_TRUE);
            glDisable(GL_BLEND);
        }
    }
}

static void draw_floor(void)
{
    glColor3f(0.55f, 0.55f, 0.5f);
    glNormal3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(-20, -20, 0);
    glVertex3f(20, -20, 0);
    glVertex3f(20, 20, 0);
    glVertex3f(-20, 20, 0);
    glEnd();
}

void draw_frame(int arg)
{
    (void)arg;
    if (g_suppress_3d)
        return;
    WorldState *w = get_game_state();
    camera_update(w, 0.9f);
    if (!g_quadric)
        g_quadric = gluNewQuadric();
    place_camera(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    const GLfloat light_pos[] = {-3, -5, 10, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light_pos);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_CULL_FACE);
    draw_floor();
    draw_fighters();
    fire_hook_draw3d(get_script_ctx());
    glDisable(GL_LIGHTING);
    push_ortho();
    draw_hud(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    fire_hook_draw2d(get_script_ctx());
    pop_ortho();
}
