// The GL windows the window tests draw in.
//
// GameWindow: the program's own frame, for the tests that draw it: a fresh
// folder holding the run folder's fonts, a GL window of
// the given size, the program's objects with the options loaded and sized
// to the window, camera, menus and the end-of-match overlay at their
// defaults, and the GL state and
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

// The renderer alone in a GL window of the given size, in a fresh folder
// with an empty data/ (the hardware report goes there), the window's size
// in the options. The renderer is left to the test; at the end it is
// released, the options are given back, and any GL error fails the test.
struct RendererWindow {
    TempDir dir;
    ScopedChdir cd{dir.path()};
    GlContext gl;
    std::vector<int> saved_options;
    RendererWindow(int width, int height);
    ~RendererWindow();
    RendererWindow(const RendererWindow &) = delete;
    RendererWindow &operator=(const RendererWindow &) = delete;
};

} // namespace kxtest
