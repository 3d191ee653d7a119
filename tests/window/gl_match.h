// A window with a GL context, the program's objects and the default match,
// drawn frame by frame through the program's own frame; any GL error while
// it lives fails the test. Options the test changes are given back.
#pragma once
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <filesystem>
#include <vector>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/scene_gl.h"
#include "app/services/settings_io.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/graphics_gl.h"
#include "support/test_support.h"
#include "window/gl_context.h"

namespace kxtest {

struct GlMatchFrame {
    TempDir dir;
    ScopedChdir cd{dir.path()};
    int w = 640, h = 480;
    GlContext gl{w, h};
    bool ok = gl.ok();
    std::vector<int> saved_options;
    GlMatchFrame()
    {
        for (int r = 0; r < 65; r++)
            saved_options.push_back(option_get(r));
        std::filesystem::create_directories("data");
        std::filesystem::copy(KX_RUN_DIR "/data/fonts", "data/fonts", std::filesystem::copy_options::recursive);
        EXPECT_EQ(program_create_objects(), 0);
        options_load();
        option_set(OPT_WIDTH, w);
        option_set(OPT_HEIGHT, h);
        camera_defaults();
        menu_set_state(0);
        if (!ok)
            return;
        gl_init_state();
        graphics_set_font_hooks(init_font_ttf, free_fonts);
        init_graphics();
        reset_game();
    }
    ~GlMatchFrame()
    {
        if (ok) {
            free_graphics();
            graphics_set_font_hooks(nullptr, nullptr);     // later tests open no fonts
            EXPECT_EQ(gl.errors(), 0) << gl.last_error();
        }
        program_destroy_objects();
        for (int r = 0; r < 65; r++)
            option_set(r, saved_options[r]);
    }
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
    // The pixel where a world point projects (window y down), 0..1.
    bool point_pixel(const std::vector<unsigned char> &px, const double *p, float *rgb)
    {
        double s[3];
        if (world_to_screen((float)p[0], (float)p[1], (float)p[2], s) != 0)
            return false;
        const int x = (int)s[0], y = (int)s[1];
        if (x < 0 || y < 0 || x >= w || y >= h)
            return false;
        const unsigned char *c = &px[((size_t)(h - 1 - y) * w + x) * 3];
        for (int k = 0; k < 3; k++)
            rgb[k] = c[k] / 255.0f;
        return true;
    }
};

} // namespace kxtest
