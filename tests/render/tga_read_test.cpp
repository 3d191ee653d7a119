// The TGA reader: files written by ImageMagick (true colour, grey, colour
// mapped, plain and run-length), 16-bit words, run-length packets, colour
// maps, the faults of broken files, the blend to white.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/png_test_util.h"
#include "render/tga_read.h"
#include "support/test_support.h"

namespace {

struct Header {
    int id_length = 0, map_type = 0, type = 2, map_first = 0, map_length = 0, map_bits = 0;
    int width = 2, height = 2, depth = 24, descriptor = 0;
};

std::string tga_file(const Header &h, const std::string &id_map_and_pixels)
{
    std::string s(18, '\0');
    s[0] = (char)h.id_length;
    s[1] = (char)h.map_type;
    s[2] = (char)h.type;
    s[3] = (char)(h.map_first & 255);
    s[4] = (char)(h.map_first >> 8);
    s[5] = (char)(h.map_length & 255);
    s[6] = (char)((h.map_length >> 8) & 255);
    s[7] = (char)h.map_bits;
    s[12] = (char)(h.width & 255);
    s[13] = (char)(h.width >> 8);
    s[14] = (char)(h.height & 255);
    s[15] = (char)(h.height >> 8);
    s[16] = (char)h.depth;
    s[17] = (char)h.descriptor;
    return s + id_map_and_pixels;
}

std::string bytes(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v)
        s += (char)b;
    return s;
}

int decode(const std::string &file, TgaImage *image)
{
    return tga_decode(reinterpret_cast<const uint8_t *>(file.data()), file.size(), image);
}

std::vector<uint8_t> vec(const std::string &s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

} // namespace

TEST(TgaRead, SixteenBitWords)
{
    Header h;
    h.depth = 16;
    h.width = h.height = 2;
    // 0x7C00 red, 0x03E0 green, 0x001F blue, 0x8000 (top bit ignored).
    TgaImage img;
    ASSERT_EQ(decode(tga_file(h, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x00, 0x80})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0})));
}

TEST(TgaRead, RunPacketsRepeatCrossRowsAndStopAtTheEnd)
{
    Header h;
    h.type = 10;
    h.depth = 24;
    h.width = h.height = 4;
    // 0x83: one pixel four times; 0x03: four raw pixels; 0x86: seven across
    // rows 2 and 3; 0xFF: 128 asked, one pixel left.
    std::string data = bytes({0x83, 1, 2, 3, 0x03, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 0x86, 7, 8, 9,
                              0xFF, 4, 5, 6});
    TgaImage img;
    ASSERT_EQ(decode(tga_file(h, data), &img), TGA_OK);
    std::string want;
    for (int i = 0; i < 4; i++)
        want += bytes({3, 2, 1});
    want += bytes({12, 11, 10, 15, 14, 13, 18, 17, 16, 21, 20, 19});
    for (int i = 0; i < 7; i++)
        want += bytes({9, 8, 7});
    want += bytes({6, 5, 4});
    EXPECT_EQ(img.pixels, vec(want));
    // A raw packet reaching past the end is cut there too.
    Header g;
    g.type = 11;
    g.depth = 8;
    g.width = g.height = 1;
    ASSERT_EQ(decode(tga_file(g, bytes({0x05, 9, 8, 7})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({9})));
}

TEST(TgaRead, ColourMaps)
{
    Header h;
    h.type = 1;
    h.depth = 8;
    h.map_type = 1;
    h.map_length = 3;
    h.map_bits = 24;
    h.width = h.height = 2;
    h.id_length = 2;
    const std::string map = bytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
    TgaImage img;
    ASSERT_EQ(decode(tga_file(h, "id" + map + bytes({2, 1, 0, 2})), &img), TGA_OK);
    EXPECT_EQ(img.format, TGA_FORMAT_RGB);
    EXPECT_EQ(img.pixels, vec(bytes({9, 8, 7, 6, 5, 4, 3, 2, 1, 9, 8, 7})));
    // 32-bit entries keep their colour; 16-bit entries are 5-5-5 words.
    Header h32 = h;
    h32.id_length = 0;
    h32.map_bits = 32;
    ASSERT_EQ(decode(tga_file(h32, bytes({1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99, 0, 1, 2, 0})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 3, 2, 1})));
    Header h16 = h32;
    h16.map_bits = 16;
    ASSERT_EQ(decode(tga_file(h16, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 1, 2, 0})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xF8, 0, 0})));
    // Run-length colour-mapped.
    Header r = h32;
    r.type = 9;
    ASSERT_EQ(decode(tga_file(r, bytes({1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99, 0x82, 1, 0x00, 2})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({6, 5, 4, 6, 5, 4, 6, 5, 4, 9, 8, 7})));
    // A map before a true-colour image is passed over.
    Header t;
    t.map_type = 1;
    t.map_length = 2;
    t.map_bits = 24;
    t.width = t.height = 1;
    ASSERT_EQ(decode(tga_file(t, bytes({1, 2, 3, 4, 5, 6, 30, 20, 10})), &img), TGA_OK);
    EXPECT_EQ(img.pixels, vec(bytes({10, 20, 30})));
}

TEST(TgaRead, BrokenFilesFailCleanly)
{
    TgaImage img;
    Header ok;
    const std::string px = std::string(12, 'x');
    ASSERT_EQ(decode(tga_file(ok, px), &img), TGA_OK);
    EXPECT_EQ(decode(tga_file(ok, px).substr(0, 17), &img), TGA_ERR_SHORT_HEADER);
    EXPECT_EQ(tga_decode(nullptr, 0, &img), TGA_ERR_SHORT_HEADER);
    // Every cut of the pixel stream fails instead of filling with 255.
    for (size_t cut = 18; cut < 30; cut++)
        EXPECT_EQ(decode(tga_file(ok, px).substr(0, cut), &img), TGA_ERR_TRUNCATED) << cut;
    Header id = ok;
    id.id_length = 200;
    EXPECT_EQ(decode(tga_file(id, px), &img), TGA_ERR_TRUNCATED);
    // Types and depths the reader cannot handle.
    for (int type : {0, 4, 5, 8, 12, 32, 255}) {
        Header h = ok;
        h.type = type;
        EXPECT_EQ(decode(tga_file(h, px), &img), TGA_ERR_UNKNOWN_TYPE) << type;
    }
    const int bad_depths[][2] = {{2, 15}, {2, 8}, {2, 0}, {10, 15}, {3, 24}, {11, 32}, {1, 16}, {9, 24}};
    for (const auto &td : bad_depths) {
        Header h = ok;
        h.type = td[0];
        h.depth = td[1];
        h.map_type = 1;
        h.map_length = 1;
        h.map_bits = 24;
        EXPECT_EQ(decode(tga_file(h, std::string(100, 'x')), &img), TGA_ERR_DEPTH) << td[0] << " " << td[1];
    }
    // Colour-mapped without a map, with an empty or negative-length map, an
    // unknown entry size, an index beyond the map, a map running past the end.
    Header cm;
    cm.type = 1;
    cm.depth = 8;
    cm.width = cm.height = 1;
    EXPECT_EQ(decode(tga_file(cm, bytes({0})), &img), TGA_ERR_NO_COLOUR_MAP);
    cm.map_type = 1;
    cm.map_bits = 24;
    EXPECT_EQ(decode(tga_file(cm, bytes({0})), &img), TGA_ERR_NO_COLOUR_MAP);
    cm.map_length = -1 & 0xFFFF;
    EXPECT_EQ(decode(tga_file(cm, bytes({0})), &img), TGA_ERR_COLOUR_MAP);
    cm.map_length = 1;
    cm.map_bits = 8;
    EXPECT_EQ(decode(tga_file(cm, bytes({1, 0})), &img), TGA_ERR_COLOUR_MAP);
    cm.map_bits = 24;
    EXPECT_EQ(decode(tga_file(cm, bytes({1, 2, 3, 1})), &img), TGA_ERR_INDEX);
    EXPECT_EQ(decode(tga_file(cm, bytes({1, 2})), &img), TGA_ERR_TRUNCATED);
    cm.type = 9;
    EXPECT_EQ(decode(tga_file(cm, bytes({1, 2, 3, 0x80, 5})), &img), TGA_ERR_INDEX);
    // Run-length streams cut in a packet header, a repeated pixel, raw pixels.
    Header r = ok;
    r.type = 10;
    r.width = r.height = 4;
    EXPECT_EQ(decode(tga_file(r, bytes({0x80, 1, 2, 3})), &img), TGA_ERR_TRUNCATED);
    EXPECT_EQ(decode(tga_file(r, bytes({0x8F, 1, 2})), &img), TGA_ERR_TRUNCATED);
    EXPECT_EQ(decode(tga_file(r, bytes({0x0F, 1, 2, 3, 4, 5, 6})), &img), TGA_ERR_TRUNCATED);
}

TEST(TgaRead, SizeRuleComesBeforeAnyPixelIsReserved)
{
    TgaImage img;
    const int sizes[][2] = {{256, 128}, {0, 0}, {3, 3}, {6, 6}, {128, 256}, {1, 2}};
    for (const auto &s : sizes) {
        Header h;
        h.width = s[0];
        h.height = s[1];
        EXPECT_EQ(decode(tga_file(h, ""), &img), TGA_ERR_NOT_POWER_OF_TWO);
        EXPECT_EQ(img.width, (uint32_t)s[0]);
        EXPECT_EQ(img.height, (uint32_t)s[1]);
        EXPECT_TRUE(img.pixels.empty());
    }
    Header big;
    big.width = big.height = 32768;
    EXPECT_EQ(decode(tga_file(big, "abc"), &img), TGA_ERR_TOO_LARGE);
    // A header claiming 8192 x 8192 over a few bytes is refused by the
    // length of the file, plain and run-length.
    big.width = big.height = 8192;
    EXPECT_EQ(decode(tga_file(big, std::string(1000, 'x')), &img), TGA_ERR_TRUNCATED);
    big.type = 10;
    EXPECT_EQ(decode(tga_file(big, std::string(1000, '\xff')), &img), TGA_ERR_TRUNCATED);
    EXPECT_TRUE(img.pixels.empty());
}

TEST(TgaRead, BlendToWhite)
{
    TgaImage img;
    img.components = 4;
    img.format = TGA_FORMAT_RGBA;
    img.pixels = vec(bytes({0, 0, 0, 0, 0, 0, 0, 255, 200, 100, 50, 128}));
    tga_blend_to_white(&img);
    EXPECT_EQ(img.pixels, vec(bytes({254, 254, 254, 255, 0, 0, 0, 255, 226, 176, 151, 255})));
    // An image without alpha is left alone.
    TgaImage rgb;
    rgb.components = 3;
    rgb.pixels = vec(bytes({1, 2, 3}));
    tga_blend_to_white(&rgb);
    EXPECT_EQ(rgb.pixels, vec(bytes({1, 2, 3})));
}

TEST(TgaRead, ReadsFilesAndReportsRefusals)
{
    kxtest::TempDir dir;
    TgaImage img;
    Header h;
    h.width = h.height = 1;
    kxtest::write_file(dir.file("a.tga"), tga_file(h, bytes({3, 2, 1})));
    ASSERT_EQ(tga_read(dir.file("a.tga").c_str(), &img), 0);
    EXPECT_EQ(img.pixels, vec(bytes({1, 2, 3})));
    EXPECT_EQ(img.bits, 24u);

    testing::internal::CaptureStderr();
    EXPECT_EQ(tga_read(dir.file("missing.tga").c_str(), &img), 1);
    EXPECT_EQ(tga_read(dir.path().c_str(), &img), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    h.width = 256;
    h.height = 128;
    kxtest::write_file(dir.file("b.tga"), tga_file(h, ""));
    testing::internal::CaptureStderr();
    EXPECT_EQ(tga_read(dir.file("b.tga").c_str(), &img), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "texture is not power of two 256 128\n");

    h.width = h.height = 1;
    h.type = 7;
    kxtest::write_file(dir.file("c.tga"), tga_file(h, "abc"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(tga_read(dir.file("c.tga").c_str(), &img), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error: unknown TGA image type 7!\n");

    h.type = 2;
    kxtest::write_file(dir.file("d.tga"), tga_file(h, "ab"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(tga_read(dir.file("d.tga").c_str(), &img), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("file ends before the image"), std::string::npos);
}

// ImageMagick writes true-colour TGA files (plain and run-length) and a
// colour-mapped one from a PAM image; our reader must give back the image's
// pixels. ImageMagick stores the top row first.
TEST(TgaRead, FilesWrittenByImageMagick)
{
    kxtest::TempDir dir;
    pngtest::Rng rng(77);
    const int side = 16;
    std::string rgba;
    for (int i = 0; i < side * side; i++) {
        // Runs of equal pixels so that run-length packets of both kinds occur.
        if (i % 5 == 0 || i < 4)
            for (int k = 0; k < 4; k++)
                rgba += (char)rng.next();
        else
            rgba += rgba.substr(rgba.size() - 4, 4);
    }
    std::string rgb, grey;
    for (int i = 0; i < side * side; i++) {
        rgb += rgba.substr(i * 4, 3);
        grey += rgba[i * 4];
    }
    kxtest::write_file(dir.file("in.pam"), "P7\nWIDTH 16\nHEIGHT 16\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + rgba);
    kxtest::write_file(dir.file("in.ppm"), "P6\n16 16\n255\n" + rgb);
    kxtest::write_file(dir.file("in.pgm"), "P5\n16 16\n255\n" + grey);

    struct Job {
        const char *input, *options, *output;
        int type, depth;
        const std::string *want;
    };
    const Job jobs[] = {
        {"in.pam", "", "a32.tga", 2, 32, &rgba},
        {"in.pam", "-compress RLE", "r32.tga", 10, 32, &rgba},
        {"in.ppm", "", "a24.tga", 2, 24, &rgb},
        {"in.ppm", "-compress RLE", "r24.tga", 10, 24, &rgb},
        {"in.ppm", "-type Palette", "p8.tga", 1, 8, &rgb},
        {"in.pgm", "", "g8.tga", 3, 8, &grey},
        {"in.pgm", "-compress RLE", "rg8.tga", 11, 8, &grey},
    };
    for (const Job &j : jobs) {
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
        EXPECT_EQ(img.pixels, vec(*j.want)) << j.output;
    }
}
