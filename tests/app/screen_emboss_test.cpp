// The embossed screen: flat areas keep their colour under the light from
// above, an edge darkens on both of its sides alike, and tiny or missing
// images are safe.
#include <gtest/gtest.h>

#include <vector>

#include "app/screen_emboss.h"

TEST(ScreenEmboss, FlatKeepsItsColourAndEdgesDarkenAlike)
{
    const int w = 8, h = 4;
    std::vector<unsigned char> src(3 * w * h), dst(src.size(), 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int c = 0; c < 3; c++)
                src[3 * (y * w + x) + c] = (unsigned char)(x < 4 ? 200 : 60 + 10 * c);
    emboss_screen(src.data(), dst.data(), w, h);
    auto at = [&](const std::vector<unsigned char> &v, int x, int y, int c) { return (int)v[3 * (y * w + x) + c]; };
    for (int y = 0; y < h; y++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(at(dst, 0, y, c), at(src, 0, y, c));   // far from the edge
            EXPECT_EQ(at(dst, 7, y, c), at(src, 7, y, c));
            EXPECT_LT(at(dst, 3, y, c), at(src, 3, y, c));   // either side of it
            EXPECT_LT(at(dst, 4, y, c), at(src, 4, y, c));
        }
        // The same slope on both sides: the same share of the colour kept.
        EXPECT_NEAR(at(dst, 3, y, 0) / 200.0, at(dst, 4, y, 0) / 60.0, 0.02);
    }
    unsigned char one[3] = {10, 20, 30}, out[3] = {};
    emboss_screen(one, out, 1, 1);
    EXPECT_EQ(std::vector<int>({out[0], out[1], out[2]}), std::vector<int>({10, 20, 30}));
    emboss_screen(nullptr, out, 1, 1);
    emboss_screen(one, out, 0, 5);
}
