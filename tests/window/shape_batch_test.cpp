#include <GL/glew.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "render/color_state.h"
#include "render/fighter_look.h"
#include "render/shapes_gl.h"
#include "window/gl_context.h"

// The shadow, opaque and see-through passes gather their shapes and draw them together:
// each shape must come out as it does drawn on its own.
namespace {

// The window after the shape drawn alone, or inside the pass of its kind
// (shadow, opaque, see-through).
std::vector<unsigned char> draw(const std::function<void()> &shape, int kind, float alpha, bool pass)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_set_color(0.8f, 0.3f, 0.1f, alpha);
    void (*const begin)(void) = kind == DRAW_SHADOW ? shadow_pass_begin : alpha < 1 ? see_through_pass_begin
                                                                                    : opaque_pass_begin;
    void (*const end)(void) = kind == DRAW_SHADOW ? shadow_pass_end : alpha < 1 ? see_through_pass_end
                                                                                : opaque_pass_end;
    if (pass)
        begin();
    shape();
    if (pass)
        end();
    std::vector<unsigned char> px(128 * 128 * 3);
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

TEST(ShapeBatch, GatheredShapesLookAsDrawnOneByOne)
{
    kxtest::GlContext gl(128, 128);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    color_state_set_apply(gl_apply_color);
    shapes_create();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, 1, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(3, -4, 3, 0, 0, 0.4, 0, 0, 1);
    const float light[4] = {1, 0.4f, 5, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    shapes_set_light(light);
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST, GL_CULL_FACE})
        glEnable(cap);
    glClearColor(1, 1, 1, 1);
    const float pos[3] = {0.2f, -0.1f, 0.9f}, sides[3] = {1.2f, 0.6f, 0.9f}, axis[3] = {0.5f, -0.7f, 0.4f};
    const float R[12] = {0.8f, -0.6f, 0, 0, 0.48f, 0.64f, -0.6f, 0, 0.36f, 0.48f, 0.8f, 0};   // a turn
    const std::function<void(int)> shapes[] = {
        [&](int kind) { render_sphere(pos, R, 0.7f, kind); },
        [&](int kind) { render_box(pos, R, sides, kind); },
        [&](int kind) { render_capsule(pos, R, 1.1f, 0.4f, kind); },
        [&](int kind) { render_hemisphere(pos, R, 0.8f, axis, kind == DRAW_SHADOW ? kind : DRAW_AXIS_SIDE); },
        [&](int kind) { render_hemisphere(pos, R, 0.8f, axis, kind == DRAW_SHADOW ? kind : DRAW_OPPOSITE); },
    };
    const struct { int kind; float alpha; } passes[] = {{DRAW_NORMAL, 1}, {DRAW_NORMAL, 0.5f}, {DRAW_SHADOW, 1}};
    for (auto p : passes)
        for (size_t s = 0; s < sizeof shapes / sizeof shapes[0]; s++) {
            const auto shape = [&] { shapes[s](p.kind); };
            const auto alone = draw(shape, p.kind, p.alpha, false), gathered = draw(shape, p.kind, p.alpha, true);
            int inked = 0, off = 0;     // off: edge pixels may round the other way
            for (size_t k = 0; k < alone.size(); k++) {
                inked += alone[k] < 200;
                off += std::abs(alone[k] - gathered[k]) > 6;
            }
            EXPECT_GT(inked, 300) << "kind " << p.kind << " alpha " << p.alpha << " shape " << s;
            EXPECT_LT(off, 12) << "kind " << p.kind << " alpha " << p.alpha << " shape " << s;
        }
    shapes_free();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

} // namespace
