#include <GL/glew.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gui/truetype_font_gl.h"
#include "render/color_table.h"
#include "support/test_support.h"
#include "window/gl_context.h"

namespace {

// The darkest pixel (sum of channels) of columns [x0, x1) of the window.
std::vector<int> darkest(int x0, int x1)
{
    std::vector<unsigned char> px(512 * 64 * 3);
    glReadPixels(0, 0, 512, 64, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    std::vector<int> best = {255, 255, 255};
    for (size_t i = 0, x = 0; i < px.size(); i += 3, x = i / 3 % 512)
        if ((int)x >= x0 && (int)x < x1 && px[i] + px[i + 1] + px[i + 2] < best[0] + best[1] + best[2])
            best = {px[i], px[i + 1], px[i + 2]};
    return best;
}

// Text from the fonts' glyph atlases on a white window: its measured span
// inked in the markup's colours, and glyphs past the first atlas page drawn
// without spoiling the first.
TEST(TrueTypeText, DrawsItsSpanInMarkupColoursAcrossAtlasPages)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    kxtest::GlContext gl(512, 64);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    std::filesystem::create_directories("data");
    std::filesystem::copy(KX_RUN_DIR "/data/fonts", "data/fonts", std::filesystem::copy_options::recursive);
    color_table_reset();
    ASSERT_EQ(init_font_ttf(), 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 512, 64, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const float black[4] = {0, 0, 0, 1};
    const int w = draw_text(FONT_NORMAL, "HHH^03HHH", 100, 20, black);
    EXPECT_EQ(w, text_width(FONT_NORMAL, "HHH^03HHH"));
    float row3[3];
    get_color_rgb(3, row3);
    EXPECT_EQ(darkest(100, 100 + w / 2), (std::vector<int>{0, 0, 0}));
    const std::vector<int> coloured = darkest(100 + w / 2 + 2, 100 + w);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(coloured[k], row3[k] * 255, 2) << k;
    EXPECT_EQ(darkest(0, 100)[0] + darkest(101 + w, 512)[0], 2 * 255);     // nothing outside

    std::vector<uint16_t> many;     // some 600 big glyphs: three pages
    for (uint16_t c = 0x21; c < 0x4FF; c++)
        if (c < 0x7F || (c > 0xA0 && c < 0x17F) || c >= 0x400)
            many.push_back(c);
    many.push_back(0);
    draw_text_wide(FONT_BIG, many.data(), 0, 200, black);     // below the window
    glClear(GL_COLOR_BUFFER_BIT);
    const uint16_t first[2] = {many[0], 0}, last[2] = {many[many.size() - 2], 0};
    draw_text_wide(FONT_BIG, first, 20, 10, black);
    draw_text_wide(FONT_BIG, last, 300, 10, black);
    EXPECT_LT(darkest(0, 200)[0], 64);
    EXPECT_LT(darkest(280, 400)[0], 64);
    free_fonts();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

} // namespace
