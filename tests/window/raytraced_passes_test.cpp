#include <GL/glew.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "app/base/options.h"
#include "render/color_state.h"
#include "render/frame_begin_gl.h"
#include "render/graphics_gl.h"
#include "render/render_queues.h"
#include "render/renderer_gl.h"
#include "render/scene_passes_gl.h"
#include "render/world_shader.h"
#include "support/test_support.h"
#include "window/game_window.h"

// The ray-traced passes of the opaque shapes in a real GL context (Mesa
// under Xvfb): spheres queued as the shape drawers queue them, drawn by the
// opaque pass with ray tracing on.
namespace {

enum { W = 160, H = 120 };
const float I3[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

struct TracedScene : kxtest::RendererWindow {
    TracedScene() : RendererWindow(W, H)
    {
        option_set(OPT_SHADERS, 1);
        option_set(OPT_RAYTRACING, 1);
        option_set(OPT_REFLECTION, 0);
        option_set(OPT_AMBIENTOCCLUSION, 0);
        option_set(OPT_SOFTSHADOW, 0);
        option_set(OPT_BUMPMAPPING, 0);
        if (!gl.ok())
            return;
        init_renderer();
        scene_renderer_start();
        apply_world_shader_slot();
        set_background(WS_SKY_ON, 0, 0, 0);
    }
    // One frame of the given shapes from a fixed eye; the picture read back.
    std::vector<unsigned char> frame(const std::function<void()> &shapes)
    {
        glViewport(0, 0, W, H);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(40, (double)W / H, 0.1, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, -6, 1, 0, 0, 1, 0, 0, 1);
        begin_frame();
        shapes();
        draw_opaque_pass();
        glFinish();
        std::vector<unsigned char> rgb((size_t)W * H * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
};

void sphere(float x, float y, float z, float r, unsigned kind = QUEUE_PLAIN)
{
    const float p[3] = {x, y, z};
    queue_sphere(I3, p, nullptr, nullptr, r, kind, 0, 0);
}

void white(void)
{
    const float c[4] = {1, 1, 1, 1};
    set_color4fv(c);
}

// Light summed over a window rectangle.
long light(const std::vector<unsigned char> &rgb, int x0, int y0, int x1, int y1)
{
    long sum = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            for (int k = 0; k < 3; k++)
                sum += rgb[((size_t)y * W + x) * 3 + k];
    return sum;
}

} // namespace

// An occluder beside a sphere darkens the sphere's side facing it (the
// shiny pass's chosen occluders), and the traced passes draw nothing
// outside the shapes' own pixels.
TEST(RaytracedPasses, OccluderDarkensTheSideFacingIt)
{
    TracedScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    ASSERT_EQ(shaders_active(), 1);
    ASSERT_EQ(option_get(OPT_RAYTRACING), 1) << "the ray-tracing programs did not link";
    const std::vector<unsigned char> alone = s.frame([] { white(); sphere(0, 0, 1, 0.6f); });
    const std::vector<unsigned char> beside = s.frame([] {
        white();
        sphere(0, 0, 1, 0.6f);
        sphere(1.0f, 0, 1, 0.6f, QUEUE_OCCLUDER);
    });
    // The sphere spans about 44 pixels around the middle of the picture.
    const long right_alone = light(alone, W / 2 + 4, H / 2 - 8, W / 2 + 16, H / 2 + 8);
    const long right_beside = light(beside, W / 2 + 4, H / 2 - 8, W / 2 + 16, H / 2 + 8);
    const long left_alone = light(alone, W / 2 - 16, H / 2 - 8, W / 2 - 4, H / 2 + 8);
    const long left_beside = light(beside, W / 2 - 16, H / 2 - 8, W / 2 - 4, H / 2 + 8);
    EXPECT_GT(right_alone, 0);
    EXPECT_LT(right_beside, right_alone * 0.95) << right_beside << " " << right_alone;
    EXPECT_GT(left_beside, left_alone * 0.97 - 1) << left_beside << " " << left_alone;
    EXPECT_EQ(light(beside, 0, 0, 20, 20), 0);   // nothing drawn outside the shapes
}

// Eight spheres, a capsule and three boxes around each other: every batch
// size of every traced program runs (6 + 2 spheres, capsules, 2 + 1 boxes)
// with reflections on, without a GL error.
TEST(RaytracedPasses, EveryBatchSizeDraws)
{
    TracedScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    ASSERT_EQ(option_get(OPT_RAYTRACING), 1);
    option_set(OPT_REFLECTION, 1);
    const std::vector<unsigned char> rgb = s.frame([] {
        white();
        for (int i = 0; i < 8; i++)
            sphere(std::cos(i * 0.8f) * 0.9f, std::sin(i * 0.8f) * 0.9f, 1, 0.3f);
        const float c[4] = {0.9f, 0.2f, 0.1f, 1};
        set_color4fv(c);
        const float p[3] = {0, 0, 1}, half[3] = {0.2f, 0.2f, 0.2f};
        queue_capsule(I3, p, 0.6f, 0.15f, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
        for (int i = 0; i < 3; i++) {
            const float b[3] = {0.5f * i - 0.5f, 0.5f, 1.6f};
            queue_box(I3, b, half, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
        }
        sphere(0, 0, 1, 2.0f, QUEUE_OCCLUDER);
    });
    EXPECT_GT(light(rgb, W / 2 - 30, H / 2 - 20, W / 2 + 30, H / 2 + 20), 0);
    EXPECT_EQ(s.gl.errors(), 0) << s.gl.last_error();
}
