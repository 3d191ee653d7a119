// The default match at the default window size drawn by both paths in one
// process and context: the fixed-function path, then (after the video reset
// the shaders option makes) the shader path with the options' own effects.
// Median frame times and their ratio; then frames with each shader pass
// finished and timed alone, for the share of each pass.
//   kx_scene_bench [frames]        (needs a display; run from the run folder)
#include "../bench_window.h"

#include "app/tick.h"
#include "game/game_resets.h"
#include "render/scene_passes_gl.h"
#include "render/world_shader.h"

// Frames of the match as it stands, from one eye, each finished.
static std::vector<double> frames(int n, int w, int h, const CameraState &eye)
{
    MainLoopCallbacks cb = {};
    cb.tick = draw_frame;
    std::vector<double> t;
    for (int i = 0; i < n; i++) {
        *get_camera() = eye;
        const double start = now_ms();
        setup_scene(w, h, &cb, 0);
        SDL_GL_SwapBuffers();
        glFinish();
        t.push_back(now_ms() - start);
    }
    return t;
}

int main(int argc, char **argv)
{
    const int n = argc > 1 ? std::max(3, atoi(argv[1])) : 40;
    int w, h;
    if (open_bench_window(8, &w, &h) != 0)
        return 1;
    option_set(OPT_SHADERS, 0);
    init_graphics();
    apply_world_shader_slot();
    reset_game();
    const CameraState eye = *get_camera();

    frames(3, w, h, eye);
    const double fixed = median(frames(n, w, h, eye));

    option_set(OPT_SHADERS, 1);
    free_graphics();
    init_graphics();
    if (!shaders_active()) {
        fprintf(stderr, "the shader path did not start\n");
        return 1;
    }
    frames(3, w, h, eye);
    const double shader = median(frames(n, w, h, eye));

    scene_pass_timing(1);
    const std::vector<double> timed = frames(n, w, h, eye);
    double pass[PASS_COUNT], passes = 0;
    for (int p = 0; p < PASS_COUNT; p++)
        passes += pass[p] = scene_pass_times()[p];
    scene_pass_timing(0);

    printf("default scene %dx%d, median of %d frames: fixed path %.2f ms, shader path %.2f ms, ratio %.2f\n", w,
           h, n, fixed, shader, shader / fixed);
    printf("options: reflection %d, softshadow %d, fluid %d, bloodstains %d, raytracing %d\n",
           option_get(OPT_REFLECTION), option_get(OPT_SOFTSHADOW), option_get(OPT_FLUID),
           option_get(OPT_BLOODSTAINS), option_get(OPT_RAYTRACING));
    static const char *const names[PASS_COUNT] = {"opaque", "reflection", "floor", "stains",
                                                  "translucent", "blood", "sky"};
    printf("shader passes, each finished alone (%.2f ms of %.2f ms per frame):\n", passes / n,
           median(timed));
    for (int p = 0; p < PASS_COUNT; p++)
        printf("  %-12s %7.3f ms  %5.1f%%\n", names[p], pass[p] / n, passes > 0 ? 100 * pass[p] / passes : 0);
    free_graphics();
    SDL_Quit();
    program_destroy_objects();
    return 0;
}
