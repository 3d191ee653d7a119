// A window with a GL context, the program's objects and the default match,
// drawn frame by frame through the program's own frame; any GL error while
// it lives fails the test. Options the test changes are given back.
#pragma once
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <ode/ode.h>
#include <vector>

#include "app/scene_gl.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "render/graphics_gl.h"
#include "window/game_window.h"

namespace kxtest {

struct GlMatch : GameWindow {
    GlMatch() : GameWindow(640, 480)
    {
        if (!ok)
            return;
        init_graphics();
        reset_game();
    }
    // One displayed frame: the scene set up, the tick draws it.
    std::vector<unsigned char> frame()
    {
        MainLoopCallbacks cb = {};
        cb.tick = draw_frame;
        setup_scene(w, h, &cb, 0);
        glFinish();
        return read();
    }
    std::vector<unsigned char> read()
    {
        std::vector<unsigned char> px((size_t)w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    // The pixel at (x, y), window y down, as 0..1 floats.
    bool pixel(const std::vector<unsigned char> &px, int x, int y, float *rgb)
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return false;
        const unsigned char *c = &px[((size_t)(h - 1 - y) * w + x) * 3];
        for (int k = 0; k < 3; k++)
            rgb[k] = c[k] / 255.0f;
        return true;
    }
    // The pixel where a world point projects.
    bool point_pixel(const std::vector<unsigned char> &px, const double *p, float *rgb)
    {
        double s[3];
        if (world_to_screen((float)p[0], (float)p[1], (float)p[2], s) != 0)
            return false;
        return pixel(px, (int)s[0], (int)s[1], rgb);
    }
    // The pixel under a body's centre.
    bool body_pixel(const std::vector<unsigned char> &px, int fighter, int body, float *rgb)
    {
        const dReal *p = dBodyGetPosition(get_player(fighter)->bodies[body]);
        const double pos[3] = {p[0], p[1], p[2]};
        return point_pixel(px, pos, rgb);
    }
};

} // namespace kxtest
