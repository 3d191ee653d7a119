// What the window benchmarks share: a millisecond clock, the median of a
// series, and the program's objects and options with an SDL OpenGL window
// of the options' size, set up as the program sets them up, graphics not
// started yet (each benchmark chooses its path first).
#pragma once
#include <GL/glew.h>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/scene_gl.h"
#include "app/services/settings_io.h"
#include "app/window_sdl.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/graphics_gl.h"

inline double now_ms(void)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The program's objects and options, the camera and menu at their start
// and SDL's video; 0, or 1 with the reason on standard error.
inline int start_bench_program(void)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (program_create_objects() != 0)
        return 1;
    options_load();
    camera_defaults();
    menu_set_state(0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "no display: %s\n", SDL_GetError());
        return 1;
    }
    return 0;
}

// 0 with the window open and its size in *w, *h; 1 (with the reason on
// standard error) when it could not be opened. stencil_bits 0 leaves the
// stencil buffer to the driver.
inline int open_bench_window(int stencil_bits, int *w, int *h)
{
    if (start_bench_program() != 0)
        return 1;
    *w = option_get(OPT_WIDTH);
    *h = option_get(OPT_HEIGHT);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (stencil_bits)
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil_bits);
    if (!SDL_SetVideoMode(*w, *h, 0, SDL_OPENGL) || glewInit() != GLEW_OK) {
        fprintf(stderr, "no GL window\n");
        return 1;
    }
    gl_init_state();
    graphics_set_font_hooks(init_font_ttf, free_fonts);
    return 0;
}

// As open_bench_window, but the window opened as the program opens it: its
// depth, stencil and the multisampling the antialiasing option asks for.
inline int open_program_window(int *w, int *h)
{
    if (start_bench_program() != 0)
        return 1;
    if (set_video_mode(option_get(OPT_WIDTH), option_get(OPT_HEIGHT)) != 0) {
        fprintf(stderr, "no GL window\n");
        return 1;
    }
    *w = option_get(OPT_WIDTH);
    *h = option_get(OPT_HEIGHT);
    gl_init_state();
    graphics_set_font_hooks(init_font_ttf, free_fonts);
    return 0;
}
