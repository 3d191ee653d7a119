// The frame a player gets: the window opened as the program opens it (its
// default multisampling), the GUI and the chat on screen, the default match
// at framerate 30 (two ticks per displayed frame), beside a bare loop that
// draws the same 42 bodies as plain GLU spheres, boxes and cylinders with
// one light and no materials; both alternately in this one process and
// window. Then what the customisation colours and a scrolled chat of long
// lines cost within such a frame.
//   kx_frame_bench [frames]        (needs a display; run from the run folder)
#include "../bench_window.h"

#include <GL/glu.h>
#include <string>

#include "app/tick.h"
#include "app/window_hooks.h"
#include "app/window_sdl.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/world_physics.h"
#include "gui/chat_view.h"
#include "gui/gui_manager_gl.h"
#include "gui/menu_overlay_gl.h"
#include "gui/services/chat_log.h"
#include "net/records/custom_record.h"
#include "render/fighter_look.h"

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
    glDisable(GL_LIGHTING);
}

static MainLoopCallbacks g_ticking;

// One displayed frame as the window's loop draws it.
static double player_frame(int w, int h)
{
    const double t = now_ms();
    setup_scene(w, h, &g_ticking, 0);
    if (GuiManager *gui = get_gui_manager())
        gui->frame();
    SDL_GL_SwapBuffers();
    glFinish();
    return now_ms() - t;
}

static double bare_displayed(int w, int h, GLUquadric *q)
{
    const double t = now_ms();
    bare_frame(w, h, q);
    SDL_GL_SwapBuffers();
    glFinish();
    return now_ms() - t;
}

// Distinct force, relax, plain-joint, body and gradient rows for both
// fighters, as a customisation file gives them.
static void set_custom_colours(void)
{
    for (int f = 0; f < 2; f++) {
        CustomRecord *rec = get_custom_record(f);
        rec->force_color = 5 + f;
        rec->relax_color = 7 + f;
        rec->replay_color = 9 + f;
        for (int b = 0; b < CUSTOM_BODY_PARTS; b++) {
            rec->body_color[b] = b % 3 ? 11 + f : 0;
            rec->grad_color1[b] = 13;
            rec->grad_color2[b] = 14 + f;
        }
    }
}

// The customisation's colour work of one frame: each fighter's joint rows
// and flags, then every body's colour with its bruise.
static double custom_colour_ms(int reps)
{
    volatile float sink = 0;
    const double t = now_ms();
    for (int r = 0; r < reps; r++) {
        for (int f = 0; f < fighter_count(); f++) {
            fighter_look_from_custom(f);
            for (int b = 0; b < BODY_COUNT; b++) {
                float rgb[3];
                body_colour_blended(get_game_state(), f, b, rgb);
                sink = sink + rgb[0];
            }
        }
    }
    return (now_ms() - t) / reps;
}

int main(int argc, char **argv)
{
    const int frames = argc > 1 ? std::max(3, atoi(argv[1])) : 60;
    int w, h;
    if (open_program_window(&w, &h) != 0)
        return 1;
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    init_graphics();
    reset_game();
    window_hooks()->draw_frame = draw_frame;
    // The chat as the game window keeps it: the framebuffer cache, a few
    // lines in it; the GUI over the frame.
    option_set(OPT_CHATCACHE, 3);
    option_set(OPT_FRAMERATE, 30);
    chat_update_layout(font_height(FONT_NORMAL), w, h);
    set_gui_manager(new GuiManager(w, h));
    menu_install_draw_hooks();
    for (int i = 0; i < 6; i++)
        console_echo("a line of the chat for the frame benchmark", MSG_INGAME);
    g_ticking.tick = on_tick;
    GLUquadric *q = gluNewQuadric();

    std::vector<double> ours, bare;
    for (int i = 0; i < 5; i++)     // glyphs, caches and shaders made
        player_frame(w, h);
    for (int i = 0; i < frames; i++) {
        ours.push_back(player_frame(w, h));
        bare.push_back(bare_displayed(w, h, q));
    }
    const double o = median(ours), b = median(bare);
    printf("player frame %dx%d, %d samples, framerate 30 (two ticks, GUI, chat), median of %d:\n"
           "  ours %.2f ms, bare GLU bodies %.2f ms, ratio %.2f (of the 33 ms allowed: %.0f%%)\n",
           w, h, samples, frames, o, b, o / b, 100 * o / 33.3);

    // The customisation colours: their work timed alone, and frames with
    // them set alternating with frames of the default look.
    const double plain_colours = custom_colour_ms(2000);
    CustomRecord saved[2] = {*get_custom_record(0), *get_custom_record(1)};
    set_custom_colours();
    CustomRecord coloured[2] = {*get_custom_record(0), *get_custom_record(1)};
    const double custom_colours = custom_colour_ms(2000);
    std::vector<double> custom, plain;
    for (int i = 0; i < frames; i++) {
        *get_custom_record(0) = coloured[0];
        *get_custom_record(1) = coloured[1];
        custom.push_back(player_frame(w, h));
        *get_custom_record(0) = saved[0];
        *get_custom_record(1) = saved[1];
        plain.push_back(player_frame(w, h));
    }
    const double c = median(custom), p = median(plain);
    printf("customisation colours: their work %.4f ms per frame (%.4f ms without), %.2f%% of the frame;\n"
           "  frames with them %.2f ms, without %.2f ms (%+.1f%%)\n",
           custom_colours, plain_colours, 100 * custom_colours / c, c, p, 100 * (c - p) / p);

    // The chat full of long lines, paged through from its oldest: a frame
    // that scrolls (the view moves, the cache is filled again) alternating
    // with a frame of the same view.
    std::string longline(250, 'w');
    for (int i = 0; i < 128; i++) {
        longline[0] = (char)('a' + i % 26);
        console_echo(longline.c_str(), i % 2 ? MSG_INGAME : MSG_WHISPER);
    }
    std::vector<double> scrolling, still;
    for (int i = 0; i < frames; i++) {
        chat_current_scroll()->offset = i % 16;
        scrolling.push_back(player_frame(w, h));
        still.push_back(player_frame(w, h));
    }
    // The scroll's own work timed alone: the rows wrapped and the cache
    // filled again for the moved view, finished by the driver.
    std::vector<double> step;
    glFinish();
    for (int i = 0; i < frames; i++) {
        const double t = now_ms();
        chat_current_scroll()->offset = (i + 1) % 16;
        chat_view_update(glyph_advance);
        draw_menu_background();
        glFinish();
        step.push_back(now_ms() - t);
    }
    const double sc = median(scrolling), st = median(still), own = median(step);
    printf("chat of 134 long lines: a frame that scrolls %.2f ms, one that does not %.2f ms (%+.1f%%);\n"
           "  the scroll's own work %.3f ms, %.1f%% of the frame\n",
           sc, st, 100 * (sc - st) / st, own, 100 * own / st);

    gluDeleteQuadric(q);
    set_gui_manager(nullptr);
    free_graphics();
    SDL_Quit();
    program_destroy_objects();
    return 0;
}
