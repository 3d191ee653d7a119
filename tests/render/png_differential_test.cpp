// Our PNG decoder against libpng on files libpng writes: every colour type
// and bit depth, with and without interlacing, each filter forced, sizes
// 1 x 1 to 40 x 40 with the data in one or many IDAT chunks, and a few
// large images over several compression levels and strategies (every level
// and strategy is compared with zlib in inflate_test.cpp). Both decodes are
// compared byte for byte as RGBA.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "render/png_decode.h"
#include "render/png_test_util.h"

using pngtest::PngParams;

namespace {

struct Format {
    int color_type, depth;
    int palette_size;  // 0: full palette
    int trns_count;    // palette alpha values, -1 none
    bool key;
};

const Format FORMATS[] = {
    {PNG_COLOR_TYPE_GRAY, 1, 0, -1, false},      {PNG_COLOR_TYPE_GRAY, 2, 0, -1, false},
    {PNG_COLOR_TYPE_GRAY, 4, 0, -1, false},      {PNG_COLOR_TYPE_GRAY, 8, 0, -1, false},
    {PNG_COLOR_TYPE_GRAY, 16, 0, -1, false},     {PNG_COLOR_TYPE_GRAY, 2, 0, -1, true},
    {PNG_COLOR_TYPE_GRAY, 8, 0, -1, true},       {PNG_COLOR_TYPE_GRAY, 16, 0, -1, true},
    {PNG_COLOR_TYPE_RGB, 8, 0, -1, false},       {PNG_COLOR_TYPE_RGB, 16, 0, -1, false},
    {PNG_COLOR_TYPE_RGB, 8, 0, -1, true},        {PNG_COLOR_TYPE_RGB, 16, 0, -1, true},
    {PNG_COLOR_TYPE_PALETTE, 1, 0, -1, false},   {PNG_COLOR_TYPE_PALETTE, 2, 0, -1, false},
    {PNG_COLOR_TYPE_PALETTE, 4, 0, -1, false},   {PNG_COLOR_TYPE_PALETTE, 8, 0, -1, false},
    {PNG_COLOR_TYPE_PALETTE, 8, 100, 37, false}, {PNG_COLOR_TYPE_PALETTE, 4, 0, 16, false},
    {PNG_COLOR_TYPE_PALETTE, 2, 3, 1, false},    {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 0, -1, false},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 0, -1, false}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, 0, -1, false},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, 0, -1, false},
};
constexpr int FORMAT_COUNT = sizeof FORMATS / sizeof FORMATS[0];

const int FILTERS[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                       PNG_ALL_FILTERS};

// The key (written only when the format asks for one) is a third, a fifth
// and nearly all of the range; grey takes the first.
PngParams params_of(const Format &f, uint32_t w, uint32_t h, bool interlace, int filters)
{
    const bool grey = f.color_type == PNG_COLOR_TYPE_GRAY;
    const uint16_t maxv = (uint16_t)((1u << f.depth) - 1), k0 = maxv / 3;
    return PngParams{w, h, f.color_type, f.depth, interlace, filters, -1, -1, 0, f.palette_size,
                     f.trns_count, f.key, {k0, (uint16_t)(grey ? k0 : maxv / 5), (uint16_t)(grey ? k0 : maxv - 1)}};
}

// Writes the image with libpng, decodes it with both, compares.
::testing::AssertionResult same_as_libpng(const PngParams &s, uint64_t seed)
{
    const std::string file = pngtest::write_png(s, pngtest::make_samples(s, seed));
    std::vector<uint8_t> want, got;
    unsigned ww = 0, wh = 0, gw = 0, gh = 0;
    const bool libpng_ok = pngtest::libpng_decode_rgba(file, want, ww, wh);
    const unsigned error = decode_png(got, gw, gh, reinterpret_cast<const uint8_t *>(file.data()), file.size());
    if (libpng_ok && !error && gw == ww && gh == wh && got == want)
        return ::testing::AssertionSuccess();
    char what[256];
    snprintf(what, sizeof what, "%ux%u type %d depth %d interlace %d filters %d level %d strategy %d key %d trns %d",
             s.width, s.height, s.color_type, s.bit_depth, (int)s.interlace, s.filters, s.level, s.strategy,
             (int)s.color_key, s.trns_count);
    return ::testing::AssertionFailure() << "libpng " << (libpng_ok ? "reads" : "refuses") << " " << what
                                         << "; ours: error " << error << ", " << gw << "x" << gh << ", pixels "
                                         << (got == want ? "equal" : "differ");
}

} // namespace

TEST(PngDifferential, EveryFormatWithEachFilterAndInterlace)
{
    const uint32_t sizes[][2] = {{1, 1}, {3, 2}, {7, 5}, {9, 9}, {17, 33}, {40, 40}};
    uint64_t seed = 1;
    for (const Format &f : FORMATS)
        for (int interlace = 0; interlace < 2; interlace++)
            for (int filters : FILTERS)
                for (const auto &sz : sizes)
                    ASSERT_TRUE(same_as_libpng(params_of(f, sz[0], sz[1], interlace, filters), seed++));
}

// Every size, the formats, filters and interlacing in turn, and the image
// data in one IDAT chunk or split into many small ones.
TEST(PngDifferential, EverySizeUpTo40AndManySmallIdatChunks)
{
    const size_t buffers[] = {0, 1, 7, 64, 300};
    int k = 0;
    for (uint32_t w = 1; w <= 40; w++)
        for (uint32_t h = 1; h <= 40; h++, k++) {
            PngParams s = params_of(FORMATS[k % FORMAT_COUNT], w, h, (k / 3) % 2 == 1, FILTERS[(k / 7) % 6]);
            s.idat_buffer = buffers[(k / 11) % 5];
            ASSERT_TRUE(same_as_libpng(s, 1000 + k));
        }
}

TEST(PngDifferential, LargeImages)
{
    // Size, colour type, depth, interlace, filters, zlib level and strategy,
    // IDAT buffer, palette size, palette alpha values, colour key.
    const PngParams bigs[] = {
        {512, 512, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, PNG_ALL_FILTERS, -1, -1},
        {1024, 200, PNG_COLOR_TYPE_RGB, 16, true, PNG_ALL_FILTERS, 9, -1},
        {300, 700, PNG_COLOR_TYPE_PALETTE, 8, false, PNG_ALL_FILTERS, 1, Z_RLE, 0, 0, 200},
        {2000, 50, PNG_COLOR_TYPE_GRAY, 4, true, PNG_ALL_FILTERS, 6, Z_HUFFMAN_ONLY},
        {257, 1023, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, PNG_ALL_FILTERS, 0, -1},
        {640, 480, PNG_COLOR_TYPE_RGB, 8, true, PNG_ALL_FILTERS, 3, Z_FIXED, 0, 0, -1, true, {85, 51, 254}},
    };
    uint64_t seed = 9000;
    for (const PngParams &b : bigs)
        ASSERT_TRUE(same_as_libpng(b, seed++));
}
