// Structure, error codes and the colour rules of the PNG decoder on
// hand-built files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/png_decode.h"
#include "render/png_test_util.h"

using namespace pngtest;

namespace {

struct Decoded {
    unsigned error;
    unsigned width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

Decoded decode(const std::string &file)
{
    Decoded d;
    d.error = decode_png(d.rgba, d.width, d.height, reinterpret_cast<const uint8_t *>(file.data()), file.size());
    return d;
}

std::string bytes(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v)
        s += (char)b;
    return s;
}

// A valid 2 x 2 RGB image with filter 0 rows.
std::string small_rgb(const std::string &extra = "")
{
    return png_from_scanlines(2, 2, 8, 2, bytes({0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12}), extra);
}

std::string replace_at(std::string s, size_t pos, const std::string &with)
{
    s.replace(pos, with.size(), with);
    return s;
}

} // namespace

TEST(PngDecode, HeaderChecks)
{
    const std::string good = small_rgb();
    ASSERT_EQ(decode(good).error, 0u);
    std::vector<uint8_t> out;
    unsigned w, h;
    EXPECT_EQ(decode_png(out, w, h, nullptr, 10), (unsigned)PNG_ERR_EMPTY);
    EXPECT_EQ(decode("").error, (unsigned)PNG_ERR_EMPTY);
    EXPECT_EQ(decode(good.substr(0, 28)).error, (unsigned)PNG_ERR_TOO_SHORT);
    EXPECT_EQ(decode(replace_at(good, 7, "\x0b")).error, (unsigned)PNG_ERR_SIGNATURE);
    EXPECT_EQ(decode(replace_at(good, 12, "IHDX")).error, (unsigned)PNG_ERR_IHDR);
    EXPECT_EQ(decode(replace_at(good, 8, be32(12))).error, (unsigned)PNG_ERR_IHDR);
    EXPECT_EQ(decode(replace_at(good, 26, "\x01")).error, (unsigned)PNG_ERR_COMPRESSION);
    EXPECT_EQ(decode(replace_at(good, 27, "\x01")).error, (unsigned)PNG_ERR_FILTER_METHOD);
    EXPECT_EQ(decode(replace_at(good, 28, "\x02")).error, (unsigned)PNG_ERR_INTERLACE);
    EXPECT_EQ(decode(png_head(1, 1, 8, 5) + chunk("IEND", "")).error, (unsigned)PNG_ERR_COLOR_TYPE);
    EXPECT_EQ(decode(png_head(1, 1, 8, 1) + chunk("IEND", "")).error, (unsigned)PNG_ERR_COLOR_TYPE);
    const int bad_depths[][2] = {{0, 3}, {0, 0}, {2, 4}, {3, 16}, {4, 2}, {6, 1}, {6, 32}};
    for (const auto &cd : bad_depths)
        EXPECT_EQ(decode(png_head(1, 1, cd[1], cd[0]) + chunk("IEND", "")).error, (unsigned)PNG_ERR_BIT_DEPTH)
            << cd[0] << " " << cd[1];
}

TEST(PngDecode, UntrustedSizesAreRefusedBeforeAnythingIsReserved)
{
    const uint32_t sizes[][2] = {{0, 1}, {1, 0}, {16385, 1}, {1, 16385}, {16384, 4097}, {0xFFFFFFFF, 0xFFFFFFFF}};
    for (const auto &s : sizes) {
        Decoded d = decode(png_from_scanlines(s[0], s[1], 8, 6, std::string(5, '\0')));
        EXPECT_EQ(d.error, (unsigned)PNG_ERR_IMAGE_SIZE) << s[0] << "x" << s[1];
        EXPECT_EQ(d.width, s[0]);
        EXPECT_EQ(d.height, s[1]);
    }
    // The largest allowed size passes the header, then its data is too short.
    EXPECT_EQ(decode(png_from_scanlines(16384, 4096, 16, 6, std::string(100, '\0'))).error,
              (unsigned)PNG_ERR_DATA_SHORT);
}

TEST(PngDecode, ChunkStructure)
{
    const std::string head = png_head(2, 2, 8, 2);
    const std::string idat = chunk("IDAT", zlib_compress(bytes({0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12})));
    // No IEND: the walk runs off the end.
    EXPECT_EQ(decode(head + idat).error, (unsigned)PNG_ERR_NO_IEND);
    // A length above 2^31 - 1, and one that runs past the data.
    EXPECT_EQ(decode(head + be32(0x80000000u) + "tEXt" + std::string(20, 'x')).error, (unsigned)PNG_ERR_CHUNK_LENGTH);
    EXPECT_EQ(decode(head + be32(0xFFFFFFF0u) + "tEXt" + std::string(20, 'x')).error, (unsigned)PNG_ERR_CHUNK_LENGTH);
    EXPECT_EQ(decode(head + be32(100) + "tEXt" + std::string(20, 'x')).error, (unsigned)PNG_ERR_CHUNK_PAST_END);
    // Unknown chunks: ancillary (lower-case first letter) skipped, critical refused.
    EXPECT_EQ(decode(head + chunk("zzZZ", "whatever") + idat + chunk("IEND", "")).error, 0u);
    EXPECT_EQ(decode(head + chunk("ZzZZ", "whatever") + idat + chunk("IEND", "")).error,
              (unsigned)PNG_ERR_CRITICAL_CHUNK);
    // No image data.
    EXPECT_EQ(decode(head + chunk("IEND", "")).error, (unsigned)PNG_ERR_ZLIB_SHORT);
    // The image data split over several IDAT chunks, one of them empty.
    std::string z = zlib_compress(bytes({0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12}));
    Decoded split = decode(head + chunk("IDAT", z.substr(0, 3)) + chunk("IDAT", "") + chunk("tIME", "1234567") +
                           chunk("IDAT", z.substr(3)) + chunk("IEND", ""));
    ASSERT_EQ(split.error, 0u);
    EXPECT_EQ(split.rgba, std::vector<uint8_t>({1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}));
}

TEST(PngDecode, BadChunkCrcAndAdlerStillDecode)
{
    std::string file = small_rgb();
    Decoded want = decode(file);
    ASSERT_EQ(want.error, 0u);
    // Every CRC in the file, and the Adler-32 at the end of the zlib data.
    std::string broken = file;
    broken[29] ^= 0x55;                            // IHDR CRC
    broken[broken.size() - 1] ^= 0x55;             // IEND CRC
    broken[broken.size() - 13] ^= 0x55;            // IDAT CRC
    broken[broken.size() - 17] ^= 0x55;            // Adler-32
    Decoded got = decode(broken);
    EXPECT_EQ(got.error, 0u);
    EXPECT_EQ(got.rgba, want.rgba);
}

TEST(PngDecode, ZlibHeader)
{
    auto with_zlib = [](const std::string &z) { return png_head(1, 1, 8, 0) + chunk("IDAT", z) + chunk("IEND", ""); };
    std::string z = zlib_compress(bytes({0, 7}));
    EXPECT_EQ(decode(with_zlib(z)).error, 0u);
    EXPECT_EQ(decode(with_zlib(z.substr(0, 1))).error, (unsigned)PNG_ERR_ZLIB_SHORT);
    EXPECT_EQ(decode(with_zlib(bytes({0x78, 0x9d}) + z.substr(2))).error, (unsigned)PNG_ERR_ZLIB_CHECK);
    EXPECT_EQ(decode(with_zlib(bytes({0x77, 0x85}) + z.substr(2))).error, (unsigned)PNG_ERR_ZLIB_METHOD);
    EXPECT_EQ(decode(with_zlib(bytes({0x88, 0x98}) + z.substr(2))).error, (unsigned)PNG_ERR_ZLIB_METHOD);
    EXPECT_EQ(decode(with_zlib(bytes({0x78, 0xbb}) + z.substr(2))).error, (unsigned)PNG_ERR_ZLIB_DICTIONARY);
}

TEST(PngDecode, PaletteAndTransparencyFaults)
{
    const std::string plte = chunk("PLTE", bytes({10, 20, 30, 40, 50, 60, 70, 80, 90}));
    // Index beyond the palette: 8-bit, low depth, and no palette at all.
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 3, bytes({0, 3}), plte)).error, (unsigned)PNG_ERR_PALETTE_INDEX);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 4, 3, bytes({0, 0x30}), plte)).error,
              (unsigned)PNG_ERR_PALETTE_INDEX_LOW);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 3, bytes({0, 0}))).error, (unsigned)PNG_ERR_PALETTE_INDEX);
    // PLTE and tRNS faults.
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 3, bytes({0, 0}), chunk("PLTE", std::string(257 * 3, 'a')))).error,
              (unsigned)PNG_ERR_PLTE_SIZE);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 3, bytes({0, 0}), plte + chunk("tRNS", bytes({1, 2, 3, 4})))).error,
              (unsigned)PNG_ERR_TRNS_PALETTE);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 0, bytes({0, 0}), chunk("tRNS", bytes({0, 0, 0})))).error,
              (unsigned)PNG_ERR_TRNS_GREY);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 2, bytes({0, 0, 0, 0}), chunk("tRNS", bytes({0, 0, 0, 0})))).error,
              (unsigned)PNG_ERR_TRNS_RGB);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 6, bytes({0, 0, 0, 0, 0}), chunk("tRNS", bytes({0, 0})))).error,
              (unsigned)PNG_ERR_TRNS_ALPHA);
    EXPECT_EQ(decode(png_from_scanlines(1, 1, 8, 4, bytes({0, 0, 0}), chunk("tRNS", bytes({0, 0})))).error,
              (unsigned)PNG_ERR_TRNS_ALPHA);
}

TEST(PngDecode, SixteenBitGreyColourKeyComparesAllSixteenBits)
{
    // Pixels 0x1234 (the key), 0x1235 (same high byte), 0x0034, 0xFFFF.
    std::string rows = bytes({0, 0x12, 0x34, 0x12, 0x35, 0x00, 0x34, 0xFF, 0xFF});
    Decoded d = decode(png_from_scanlines(4, 1, 16, 0, rows, chunk("tRNS", bytes({0x12, 0x34}))));
    ASSERT_EQ(d.error, 0u);
    EXPECT_EQ(d.rgba, std::vector<uint8_t>({0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255, 0, 0, 0, 255,
                                            255, 255, 255, 255}));
    // The same for a 16-bit RGB key.
    rows = bytes({0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7});
    d = decode(png_from_scanlines(2, 1, 16, 2, rows, chunk("tRNS", bytes({1, 2, 3, 4, 5, 6}))));
    ASSERT_EQ(d.error, 0u);
    EXPECT_EQ(d.rgba, std::vector<uint8_t>({1, 3, 5, 0, 1, 3, 5, 255}));
}

TEST(PngDecode, FilterTypeAndShortData)
{
    EXPECT_EQ(decode(png_from_scanlines(1, 2, 8, 0, bytes({0, 1, 5, 2}))).error, (unsigned)PNG_ERR_FILTER_TYPE);
    // One row short, and one byte short, plain and interlaced.
    EXPECT_EQ(decode(png_from_scanlines(2, 2, 8, 0, bytes({0, 1, 2}))).error, (unsigned)PNG_ERR_DATA_SHORT);
    EXPECT_EQ(decode(png_from_scanlines(2, 2, 8, 0, bytes({0, 1, 2, 0, 3}))).error, (unsigned)PNG_ERR_DATA_SHORT);
    // A 3 x 3 interlaced grey image needs passes 1 (1 px), 4 (1), 5 (2), 6 (2 rows of 1), 7 (1 row of 3).
    std::string full = bytes({0, 1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7, 8, 9});
    Decoded ok = decode(png_from_scanlines(3, 3, 8, 0, full, "", 1));
    ASSERT_EQ(ok.error, 0u);
    std::vector<uint8_t> grey;
    for (size_t i = 0; i < ok.rgba.size(); i += 4)
        grey.push_back(ok.rgba[i]);
    EXPECT_EQ(grey, std::vector<uint8_t>({1, 5, 2, 7, 8, 9, 3, 6, 4}));
    EXPECT_EQ(decode(png_from_scanlines(3, 3, 8, 0, full.substr(0, full.size() - 1), "", 1)).error,
              (unsigned)PNG_ERR_DATA_SHORT);
}

TEST(PngDecode, DecompressionBombStopsAtTheImageSize)
{
    // A 1 x 1 image whose data inflates to 16 MiB: only its first row is
    // taken; the rest is never produced.
    std::string rows = bytes({0, 42}) + std::string(16 << 20, '\0');
    std::string file = png_from_scanlines(1, 1, 8, 0, rows);
    EXPECT_LT(file.size(), 100000u);
    Decoded d = decode(file);
    ASSERT_EQ(d.error, 0u);
    EXPECT_EQ(d.rgba, std::vector<uint8_t>({42, 42, 42, 255}));
}
