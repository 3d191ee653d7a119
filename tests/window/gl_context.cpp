#include <GL/glew.h>

#include "window/gl_context.h"

#include <SDL.h>

namespace kxtest {

static int g_errors = 0;
static std::string g_last;

static void GLAPIENTRY on_debug(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar *message, const void *)
{
    if (type == GL_DEBUG_TYPE_ERROR) {
        g_errors++;
        g_last = message;
    }
}

// One window per process, kept until exit: opening and closing X
// connections test after test can meet a display that refuses a moment.
static bool g_open = false;

GlContext::GlContext(int width, int height)
{
    g_errors = 0;
    g_last.clear();
    if (g_open) {
        ok_ = true;
        errors();
        g_errors = 0;
        return;
    }
    // A display that was just started may not take connections yet.
    for (int tries = 0; SDL_Init(SDL_INIT_VIDEO) != 0; tries++) {
        g_last = SDL_GetError();
        if (tries == 50)
            return;
        SDL_Delay(100);
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    if (!SDL_SetVideoMode(width, height, 0, SDL_OPENGL)) {
        g_last = SDL_GetError();
        return;
    }
    glewExperimental = GL_TRUE;
    GLenum e = glewInit();
    if (e != GLEW_OK) {
        g_last = (const char *)glewGetErrorString(e);
        return;
    }
    glGetError();
    if (glDebugMessageCallback) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(on_debug, nullptr);
    }
    ok_ = g_open = true;
}

GlContext::~GlContext() {}

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
