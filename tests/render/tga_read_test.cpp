// The TGA reader: files written by ImageMagick (true colour, grey, colour
// mapped, plain and run-length), 16-bit words, run-length packets, colour
// maps, the faults of broken files, the blend to white.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/png_test_util.h"
#include "render/tga_read.h"
#include "support/test_support.h"

using pngtest::bytes;

namespace {

// A TGA file: the 18-byte header, then what follows it (id, colour map,
// pixels). The colour map is declared when its entry size is not zero.
std::string tga(int type, int depth, int width, int height, const std::string &rest, int map_length = 0,
                int map_bits = 0, int id_length = 0)
{
    return bytes({id_length, map_bits != 0, type, 0, 0, map_length & 255, map_length >> 8 & 255, map_bits, 0, 0, 0, 0,
                  width & 255, width >> 8, height & 255, height >> 8, depth, 0}) +
           rest;
}

int decode(const std::string &file, TgaImage *image)
{
    return tga_decode(reinterpret_cast<const uint8_t *>(file.data()), file.size(), image);
}

std::string pixels_of(const TgaImage &image)
{
    return std::string(image.pixels.begin(), image.pixels.end());
}

} // namespace

TEST(TgaRead, HandBuiltFilesGiveTheirPixels)
{
    const std::string map24 = bytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const std::string map32 = bytes({1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99});
    const struct {
        std::string file;
        unsigned components;
        std::string pixels;
    } rows[] = {
        // 16-bit words: 0x7C00 red, 0x03E0 green, 0x001F blue, 0x8000 (top bit ignored).
        {tga(2, 16, 2, 2, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x00, 0x80})), 3,
         bytes({0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0})},
        // 0x83: one pixel four times; 0x03: four raw pixels; 0x86: seven across
        // rows 2 and 3; 0xFF: 128 asked, one pixel left.
        {tga(10, 24, 4, 4, bytes({0x83, 1, 2, 3, 0x03, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 0x86, 7, 8, 9,
                                  0xFF, 4, 5, 6})), 3,
         bytes({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 12, 11, 10, 15, 14, 13, 18, 17, 16, 21, 20, 19, 9, 8, 7, 9, 8, 7,
                9, 8, 7, 9, 8, 7, 9, 8, 7, 9, 8, 7, 9, 8, 7, 6, 5, 4})},
        // A raw packet reaching past the end is cut there too.
        {tga(11, 8, 1, 1, bytes({0x05, 9, 8, 7})), 1, bytes({9})},
        // Colour maps after an image id: 24-bit, 32-bit (colour kept), 16-bit 5-5-5 words.
        {tga(1, 8, 2, 2, "id" + map24 + bytes({2, 1, 0, 2}), 3, 24, 2), 3, bytes({9, 8, 7, 6, 5, 4, 3, 2, 1, 9, 8, 7})},
        {tga(1, 8, 2, 2, map32 + bytes({0, 1, 2, 0}), 3, 32), 3, bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 3, 2, 1})},
        {tga(1, 8, 2, 2, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 1, 2, 0}), 3, 16), 3,
         bytes({0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xF8, 0, 0})},
        {tga(9, 8, 2, 2, map32 + bytes({0x82, 1, 0x00, 2}), 3, 32), 3, bytes({6, 5, 4, 6, 5, 4, 6, 5, 4, 9, 8, 7})},
        // A map before a true-colour image is passed over.
        {tga(2, 24, 1, 1, bytes({1, 2, 3, 4, 5, 6, 30, 20, 10}), 2, 24), 3, bytes({10, 20, 30})},
    };
    for (const auto &row : rows) {
        TgaImage img;
        ASSERT_EQ(decode(row.file, &img), TGA_OK) << &row - rows;
        EXPECT_EQ(img.components, row.components) << &row - rows;
        EXPECT_EQ((unsigned)img.format, row.components) << &row - rows;
        EXPECT_EQ(pixels_of(img), row.pixels) << &row - rows;
    }
}

TEST(TgaRead, BrokenFilesFailCleanly)
{
    const std::string ok = tga(2, 24, 2, 2, std::string(12, 'x')), rle = tga(10, 24, 4, 4, "");
    TgaImage img;
    ASSERT_EQ(decode(ok, &img), TGA_OK);
    EXPECT_EQ(tga_decode(nullptr, 0, &img), TGA_ERR_SHORT_HEADER);
    std::vector<std::pair<std::string, int>> rows = {
        {ok.substr(0, 17), TGA_ERR_SHORT_HEADER},
        {tga(2, 24, 2, 2, std::string(12, 'x'), 0, 0, 200), TGA_ERR_TRUNCATED},
        // Colour-mapped without a map, with an empty or negative-length map, an
        // unknown entry size, an index beyond the map, a map running past the end.
        {tga(1, 8, 1, 1, bytes({0})), TGA_ERR_NO_COLOUR_MAP},
        {tga(1, 8, 1, 1, bytes({0}), 0, 24), TGA_ERR_NO_COLOUR_MAP},
        {tga(1, 8, 1, 1, bytes({0}), 0xFFFF, 24), TGA_ERR_COLOUR_MAP},
        {tga(1, 8, 1, 1, bytes({1, 0}), 1, 8), TGA_ERR_COLOUR_MAP},
        {tga(1, 8, 1, 1, bytes({1, 2, 3, 1}), 1, 24), TGA_ERR_INDEX},
        {tga(1, 8, 1, 1, bytes({1, 2}), 1, 24), TGA_ERR_TRUNCATED},
        {tga(9, 8, 1, 1, bytes({1, 2, 3, 0x80, 5}), 1, 24), TGA_ERR_INDEX},
        // Run-length streams cut in a packet header, a repeated pixel, raw pixels.
        {rle + bytes({0x80, 1, 2, 3}), TGA_ERR_TRUNCATED},
        {rle + bytes({0x8F, 1, 2}), TGA_ERR_TRUNCATED},
        {rle + bytes({0x0F, 1, 2, 3, 4, 5, 6}), TGA_ERR_TRUNCATED},
    };
    // Every cut of the pixel stream fails instead of filling with 255.
    for (size_t cut = 18; cut < 30; cut++)
        rows.push_back({ok.substr(0, cut), TGA_ERR_TRUNCATED});
    // Types and depths the reader cannot handle.
    for (int type : {0, 4, 5, 8, 12, 32, 255})
        rows.push_back({tga(type, 24, 2, 2, std::string(12, 'x')), TGA_ERR_UNKNOWN_TYPE});
    const int bad_depths[][2] = {{2, 15}, {2, 8}, {2, 0}, {10, 15}, {3, 24}, {11, 32}, {1, 16}, {9, 24}};
    for (const auto &td : bad_depths)
        rows.push_back({tga(td[0], td[1], 2, 2, std::string(100, 'x'), 1, 24), TGA_ERR_DEPTH});
    // The size rule comes before any pixel is reserved; a header claiming
    // 8192 x 8192 over a few bytes is refused by the length of the file.
    const int sizes[][2] = {{256, 128}, {0, 0}, {3, 3}, {6, 6}, {128, 256}, {1, 2}};
    for (const auto &s : sizes)
        rows.push_back({tga(2, 24, s[0], s[1], ""), TGA_ERR_NOT_POWER_OF_TWO});
    rows.push_back({tga(2, 24, 32768, 32768, "abc"), TGA_ERR_TOO_LARGE});
    rows.push_back({tga(2, 24, 8192, 8192, std::string(1000, 'x')), TGA_ERR_TRUNCATED});
    rows.push_back({tga(10, 24, 8192, 8192, std::string(1000, '\xff')), TGA_ERR_TRUNCATED});
    for (size_t i = 0; i < rows.size(); i++) {
        EXPECT_EQ(decode(rows[i].first, &img), rows[i].second) << "row " << i;
        EXPECT_TRUE(img.pixels.empty()) << "row " << i;
    }
    // The header's size is kept even when refused.
    EXPECT_EQ(decode(tga(2, 24, 256, 128, ""), &img), TGA_ERR_NOT_POWER_OF_TWO);
    EXPECT_EQ(img.width, 256u);
    EXPECT_EQ(img.height, 128u);
}

TEST(TgaRead, BlendToWhite)
{
    TgaImage img;
    img.components = 4;
    img.format = TGA_FORMAT_RGBA;
    img.pixels = {0, 0, 0, 0, 0, 0, 0, 255, 200, 100, 50, 128};
    tga_blend_to_white(&img);
    EXPECT_EQ(img.pixels, std::vector<uint8_t>({254, 254, 254, 255, 0, 0, 0, 255, 226, 176, 151, 255}));
    // An image without alpha is left alone.
    TgaImage rgb;
    rgb.components = 3;
    rgb.pixels = {1, 2, 3};
    tga_blend_to_white(&rgb);
    EXPECT_EQ(rgb.pixels, std::vector<uint8_t>({1, 2, 3}));
}

// ImageMagick writes true-colour TGA files (plain and run-length), grey and
// colour-mapped ones; our reader must give back the image's pixels.
// ImageMagick stores the top row first.
TEST(TgaRead, FilesWrittenByImageMagick)
{
    kxtest::TempDir dir;
    pngtest::Rng rng(77);
    std::string rgba, rgb, grey;
    for (int i = 0; i < 16 * 16; i++) {
        // Runs of equal pixels so that run-length packets of both kinds occur.
        for (int k = 0; k < 4; k++)
            rgba += i % 5 == 0 || i < 4 ? (char)rng.next() : rgba[rgba.size() - 4];
        rgb += rgba.substr(i * 4, 3);
        grey += rgba[i * 4];
    }
    kxtest::write_file(dir.file("in.pam"), "P7\nWIDTH 16\nHEIGHT 16\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + rgba);
    kxtest::write_file(dir.file("in.ppm"), "P6\n16 16\n255\n" + rgb);
    kxtest::write_file(dir.file("in.pgm"), "P5\n16 16\n255\n" + grey);
    const struct {
        const char *input, *options, *output;
        int type, depth;
        const std::string *want;
    } jobs[] = {
        {"in.pam", "", "a32.tga", 2, 32, &rgba},
        {"in.pam", "-compress RLE", "r32.tga", 10, 32, &rgba},
        {"in.ppm", "", "a24.tga", 2, 24, &rgb},
        {"in.ppm", "-compress RLE", "r24.tga", 10, 24, &rgb},
        {"in.ppm", "-type Palette", "p8.tga", 1, 8, &rgb},
        {"in.ppm", "-type Palette -compress RLE", "rp8.tga", 9, 8, &rgb},
        {"in.pgm", "", "g8.tga", 3, 8, &grey},
        {"in.pgm", "-compress RLE", "rg8.tga", 11, 8, &grey},
    };
    for (const auto &j : jobs) {
        std::string cmd = std::string("convert-im6.q16 '") + dir.file(j.input) + "' " + j.options + " '" +
                          dir.file(j.output) + "'";
        ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
        std::string file = kxtest::read_file(dir.file(j.output));
        ASSERT_GE(file.size(), 18u);
        EXPECT_EQ((int)(uint8_t)file[2], j.type) << j.output;
        EXPECT_EQ((int)(uint8_t)file[16], j.depth) << j.output;
        TgaImage img;
        ASSERT_EQ(tga_read(dir.file(j.output).c_str(), &img), 0) << j.output;
        EXPECT_EQ(img.width, 16u);
        EXPECT_EQ(pixels_of(img), *j.want) << j.output;
    }
}
