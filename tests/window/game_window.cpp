#include "window/game_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/scene_gl.h"
#include "app/services/settings_io.h"
#include "gui/hud_pieces_gl.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/graphics_gl.h"
#include "render/renderer_gl.h"

namespace kxtest {

GameWindow::GameWindow(int width, int height, std::initializer_list<int> off) : w(width), h(height)
{
    for (int r = 0; r < OPTION_COUNT; r++)
        saved_options.push_back(option_get(r));
    std::filesystem::create_directories("data");
    std::filesystem::copy(KX_RUN_DIR "/data/fonts", "data/fonts", std::filesystem::copy_options::recursive);
    EXPECT_EQ(program_create_objects(), 0);
    options_load();
    option_set(OPT_WIDTH, w);
    option_set(OPT_HEIGHT, h);
    for (int o : off)
        option_set(o, 0);
    camera_defaults();
    menu_set_state(0);
    screen_overlay_reset();     // an earlier test's decided match fades no more
    if (!ok)
        return;
    gl_init_state();
    graphics_set_font_hooks(init_font_ttf, free_fonts);
}

GameWindow::~GameWindow()
{
    if (ok) {
        free_graphics();
        graphics_set_font_hooks(nullptr, nullptr);     // later tests open no fonts
        EXPECT_EQ(gl.errors(), 0) << gl.last_error();
    }
    program_destroy_objects();
    for (int r = 0; r < OPTION_COUNT; r++)
        option_set(r, saved_options[r]);
}

RendererWindow::RendererWindow(int width, int height) : gl(width, height)
{
    for (int r = 0; r < OPTION_COUNT; r++)
        saved_options.push_back(option_get(r));
    write_file(dir.file("keep"), "");
    mkdir(dir.file("data").c_str(), 0755);
    option_set(OPT_WIDTH, width);
    option_set(OPT_HEIGHT, height);
}

RendererWindow::~RendererWindow()
{
    release_renderer();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
    for (int r = 0; r < OPTION_COUNT; r++)
        option_set(r, saved_options[r]);
}

} // namespace kxtest
