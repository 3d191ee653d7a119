#include <GL/glew.h>
#include <GL/glu.h>

#include "window/gl_context.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

// The window stays open until the process ends (closing it unloads the
// GL driver, whose blocks leak checks could no longer name). What Xlib keeps
// for an open display is not ours to free, nor what Mesa's software driver
// keeps of objects we deleted (every GL name is checked gone by the tests).
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libX11.so\nleak:swrast_dri.so\n";
}

// Mesa's threads must not outlive the tests: the leak check at exit stops
// every thread to read its stack. The software driver's drawing threads
// live to the end of the process (with none it draws on the caller's
// thread, with the same pictures), and the shader cache writes compiled
// programs to disk on a thread of its own, busy at exit whenever the cache
// was cold. Set before any test opens a display; an explicit setting in the
// environment wins.
[[maybe_unused]] static const int g_no_driver_threads =
    setenv("LP_NUM_THREADS", "0", 0) + setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);

namespace kxtest {

static int g_errors = 0;
static std::string g_last;
static int g_width = 0, g_height = 0;  // of the open window; 0 before
static std::string g_display;           // the DISPLAY it was opened on

static std::string display_now()
{
    const char *d = getenv("DISPLAY");
    return d ? d : "";
}

static void GLAPIENTRY on_debug(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar *message, const void *)
{
    if (type == GL_DEBUG_TYPE_ERROR) {
        g_errors++;
        g_last = message;
    }
}

// The GL libraries and the driver stay loaded when a window is closed (for
// another size or display): the leak check at exit names their blocks only
// while they are loaded.
static int keep_gl_library(struct dl_phdr_info *info, size_t, void *)
{
    const char *name = info->dlpi_name;
    if (name && (strstr(name, "_dri.so") || strstr(name, "libGL") || strstr(name, "libglapi")))
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

static bool open_window(int width, int height)
{
    // Another size: a fresh context, free of the state earlier tests left.
    close_gl_window();
    // A display that was just started, or one shared with other test
    // programs, may refuse a connection for a moment: a few tries.
    for (int tries = 0; SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_Init(SDL_INIT_VIDEO) != 0 && tries < 50; tries++)
        SDL_Delay(100);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);   // the shader path's shadows and marks
    glewExperimental = GL_TRUE;
    if (!SDL_SetVideoMode(width, height, 0, SDL_OPENGL) || glewInit() != GLEW_OK || !glDebugMessageCallback) {
        g_last = SDL_GetError();
        return false;
    }
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(on_debug, nullptr);
    dl_iterate_phdr(keep_gl_library, nullptr);
    g_width = width;
    g_height = height;
    g_display = display_now();
    return true;
}

void view_along_y(double aspect)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, aspect, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 1, 0, 0, 0, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void close_gl_window()
{
    if (g_width)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    g_width = g_height = 0;
}

GlContext::GlContext(int width, int height)
{
    const bool same = width == g_width && height == g_height && display_now() == g_display;
    if (!same && !open_window(width, height))
        return;
    while (glGetError() != GL_NO_ERROR) {
    }
    g_errors = 0;
    g_last.clear();
    ok_ = true;
}

int GlContext::errors()
{
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        g_errors++;
        g_last = "glGetError " + std::to_string(e);
    }
    return g_errors;
}

const std::string &GlContext::last_error() const { return g_last; }

} // namespace kxtest
