#include <GL/glew.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "render/color_state.h"
#include "render/fighter_look.h"
#include "render/shapes_gl.h"
#include "window/gl_context.h"

namespace {

const float k_pos[3] = {0.2f, -0.1f, 0.9f}, k_axis[3] = {0.5f, -0.7f, 0.4f};
const float k_turn[12] = {0.8f, -0.6f, 0, 0, 0.48f, 0.64f, -0.6f, 0, 0.36f, 0.48f, 0.8f, 0};

// Shape s of kind in the window (cleared first), inside the pass or alone.
std::vector<unsigned char> draw(int s, int kind, void (*begin)(void), void (*end)(void))
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (begin)
        begin();
    const float sides[3] = {1.2f, 0.6f, 0.9f};
    const int half = kind == DRAW_SHADOW ? kind : s == 3 ? DRAW_AXIS_SIDE : DRAW_OPPOSITE;
    s == 0 ? render_sphere(k_pos, k_turn, 0.7f, kind)
    : s == 1 ? render_box(k_pos, k_turn, sides, kind)
    : s == 2 ? render_capsule(k_pos, k_turn, 1.1f, 0.4f, kind)
             : render_hemisphere(k_pos, k_turn, 0.8f, k_axis, half);
    if (end)
        end();
    std::vector<unsigned char> px(128 * 128 * 3);
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// The shadow, opaque and see-through passes gather their shapes and draw
// them together: each comes out as it does drawn on its own.
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
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST, GL_CULL_FACE})
        glEnable(cap);
    glClearColor(1, 1, 1, 1);
    const struct { int kind; float alpha; void (*begin)(void), (*end)(void); } passes[] = {
        {DRAW_NORMAL, 1, opaque_pass_begin, opaque_pass_end},
        {DRAW_NORMAL, 0.5f, see_through_pass_begin, see_through_pass_end},
        {DRAW_SHADOW, 1, shadow_pass_begin, shadow_pass_end}};
    for (auto p : passes)
        for (int s = 0; s < 5; s++) {
            gl_set_color(0.8f, 0.3f, 0.1f, p.alpha);
            const auto alone = draw(s, p.kind, nullptr, nullptr), gathered = draw(s, p.kind, p.begin, p.end);
            int inked = 0, off = 0;     // off: edge pixels may round the other way
            for (size_t k = 0; k < alone.size(); k++) {
                inked += alone[k] < 210;     // shadows are 0.8 of the white background
                off += std::abs(alone[k] - gathered[k]) > 6;
            }
            EXPECT_GT(inked, 300) << p.kind << " " << p.alpha << " " << s;
            EXPECT_LT(off, 12) << p.kind << " " << p.alpha << " " << s;
        }
    shapes_free();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

} // namespace
