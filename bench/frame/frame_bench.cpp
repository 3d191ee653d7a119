// One displayed frame of the default match at the default window size,
// beside a bare loop that draws the same 42 bodies as plain GLU spheres,
// boxes and cylinders with one light and no materials; both in this one
// process and context. Then the frame at framerate 30 (two ticks and one
// drawing) against the 33 ms that rate allows.
//   kx_frame_bench [frames]        (needs a display; run from the run folder)
#include "../bench_window.h"

#include <GL/glu.h>

#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/world_physics.h"
#include "gui/services/chat_log.h"

// The bodies as GLU shapes at their poses, one light, plain colour.
static void bare_frame(int w, int h, GLUquadric *q)
{
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, (double)w / h, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const CameraState *cam = get_camera();
    gluLookAt(cam->eye[0], cam->eye[1], cam->eye[2], cam->look[0], cam->look[1], cam->look[2], 0, 0, 1);
    for (int f = 0; f < fighter_count(); f++) {
        Player *p = get_player(f);
        glColor3f(f ? 0 : 1, 0, f ? 1 : 0);
        for (int b = 0; b < BODY_COUNT; b++) {
            dGeomID g = p->body_geoms[b];
            double pos[3], R[12];
            geom_world_pose(g, pos, R);
            const GLdouble m[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0,
                                    pos[0], pos[1], pos[2], 1};
            glPushMatrix();
            glMultMatrixd(m);
            if (dGeomGetClass(g) == dSphereClass) {
                gluSphere(q, dGeomSphereGetRadius(g), 20, 14);
            } else if (dGeomGetClass(g) == dBoxClass) {
                dVector3 s;
                dGeomBoxGetLengths(g, s);
                glScaled(s[0], s[1], s[2]);
                gluCylinder(q, 0.7, 0.7, 1, 4, 1);      // a box-like prism
            } else {
                dReal r, len;
                dGeomCapsuleGetParams(g, &r, &len);
                glTranslated(0, 0, -len / 2);
                gluCylinder(q, r, r, len, 20, 1);
            }
            glPopMatrix();
        }
    }
}

int main(int argc, char **argv)
{
    const int frames = argc > 1 ? std::max(3, atoi(argv[1])) : 60;
    int w, h;
    if (open_bench_window(0, &w, &h) != 0)
        return 1;
    init_graphics();
    reset_game();
    window_hooks()->draw_frame = draw_frame;
    // The chat as the game window keeps it: the framebuffer cache, a few
    // lines in it.
    option_set(OPT_CHATCACHE, 3);
    chat_update_layout(font_height(FONT_NORMAL), w, h);
    for (int i = 0; i < 6; i++)
        console_echo("a line of the chat for the frame benchmark", MSG_INGAME);

    MainLoopCallbacks draw_only = {};
    draw_only.tick = draw_frame;
    MainLoopCallbacks ticking = {};
    ticking.tick = on_tick;
    GLUquadric *q = gluNewQuadric();
    std::vector<double> ours, bare, at30;
    for (int i = 0; i < frames; i++) {
        double t = now_ms();
        setup_scene(w, h, &draw_only, 0);
        SDL_GL_SwapBuffers();
        glFinish();
        ours.push_back(now_ms() - t);
        t = now_ms();
        bare_frame(w, h, q);
        SDL_GL_SwapBuffers();
        glFinish();
        bare.push_back(now_ms() - t);
    }
    option_set(OPT_FRAMERATE, 30);
    for (int i = 0; i < frames; i++) {
        const double t = now_ms();
        setup_scene(w, h, &ticking, 0);
        SDL_GL_SwapBuffers();
        glFinish();
        at30.push_back(now_ms() - t);
    }
    gluDeleteQuadric(q);
    const double o = median(ours), b = median(bare), f30 = median(at30);
    printf("displayed frame %dx%d, median of %d: ours %.2f ms, bare GLU bodies %.2f ms, ratio %.2f\n",
           w, h, frames, o, b, o / b);
    printf("framerate 30 (two ticks, one drawing): %.2f ms of the 33 ms allowed\n", f30);
    free_graphics();
    SDL_Quit();
    program_destroy_objects();
    return 0;
}
