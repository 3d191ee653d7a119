#include <GL/glew.h>

#include <gtest/gtest.h>

#include "render/bump_mesh_gl.h"
#include "render/color_state.h"
#include "render/texture.h"
#include "window/gl_context.h"

namespace {

// A bump-mapped box drawn through the combiners: a flat bump map (every
// normal straight out) lit from the eye shows the colour texture times the
// current colour (through the cube map's +Z face); release leaves no name.
TEST(BumpDraw, FlatBumpBoxShowsItsColourAndReleasesItsTextures)
{
    kxtest::GlContext gl;
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    ASSERT_TRUE(normalisation_cube_map_supported());
    normalisation_cube_map_init();
    const unsigned cube = normalisation_cube_map_id();
    Texture bump, colour;
    texture_init(&bump);
    texture_init(&colour);
    const float flat[3] = {0.5f, 0.5f, 1.0f}, white[3] = {1, 1, 1};
    texture_make_gradient_small(&bump, flat, flat);
    texture_make_gradient_small(&colour, white, white);

    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);  // the far face is lit from behind: black
    const float pos[3] = {0, 0, 0}, rot[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}, sizes[3] = {2, 2, 2};
    const float camera[3] = {0, 0, 8}, green[3] = {0, 1, 0};
    bump_mesh_set_camera(camera);
    set_color3fv(green);
    BumpMesh box;
    ASSERT_TRUE(bump_mesh_make_box(&box));
    testing::internal::CaptureStdout();
    bump_mesh_draw_box(&box, pos, rot, sizes, bump.gl_id, colour.gl_id);
    testing::internal::GetCapturedStdout();
    uint8_t px[4];
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_LT(px[0], 40);
    EXPECT_GT(px[1], 150);
    EXPECT_LT(px[2], 40);
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();

    bump_textures_free();
    texture_delete(&bump);
    texture_delete(&colour);
    EXPECT_FALSE(glIsTexture(cube));
    EXPECT_EQ(normalisation_cube_map_id(), 0u);
    primitives_free(&box);
}

} // namespace
