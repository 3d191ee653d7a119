// The program's own frame in a real GL context, for the window tests that
// draw it: a fresh folder holding the run folder's fonts, a GL window of
// the given size, the program's objects with the options loaded and sized
// to the window, camera and menus at their defaults, and the GL state and
// font hooks set as the program sets them. The options named are switched
// off once loaded. The graphics are left to the
// test (it chooses its options first) and freed at the end; the options are
// given back, the objects destroyed, and any GL error fails the test.
#pragma once
#include <initializer_list>
#include <vector>

#include "support/test_support.h"
#include "window/gl_context.h"

namespace kxtest {

struct GameWindow {
    TempDir dir;
    ScopedChdir cd{dir.path()};
    int w, h;
    GlContext gl{w, h};
    bool ok = gl.ok();
    std::vector<int> saved_options;
    GameWindow(int width, int height, std::initializer_list<int> off = {});
    ~GameWindow();
    GameWindow(const GameWindow &) = delete;
    GameWindow &operator=(const GameWindow &) = delete;
};

} // namespace kxtest
