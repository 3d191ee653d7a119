// A real OpenGL context for tests of the drawing code: an SDL window on the
// display the tests run under (Xvfb with Mesa), GLEW initialised, and a
// synchronous debug-output callback that counts every GL error. The window
// is made once per process and kept; asking for another size, or on another
// display, opens a new window (a new context: make GL objects after the
// helper).
#pragma once
#include <string>

namespace kxtest {

class GlContext {
public:
    explicit GlContext(int width = 64, int height = 64);
    GlContext(const GlContext &) = delete;
    GlContext &operator=(const GlContext &) = delete;
    bool ok() const { return ok_; }
    // GL errors reported since the context was handed out (debug output and
    // glGetError), with the last message.
    int errors();
    const std::string &last_error() const;

private:
    bool ok_ = false;
};

// Closes the kept window: a test whose window is on an X server of its own
// closes it before that server ends (the next context opens a new one).
void close_gl_window();

// The game's projection (50 degrees, 0.1 to 1000) at the aspect given, the
// eye at the origin looking along +y with z up, and the window cleared to
// transparent black: for drawing a shape at a distance straight ahead.
void view_along_y(double aspect);

} // namespace kxtest
