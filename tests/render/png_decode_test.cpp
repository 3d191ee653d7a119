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

std::string replace_at(std::string s, size_t pos, const std::string &with)
{
    return s.replace(pos, with.size(), with);
}

// A 2 x 2 RGB image as filter 0 rows, and its pixels.
const std::string RGB_ROWS = bytes({0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12});
const std::vector<uint8_t> RGB_PIXELS = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255};

} // namespace

TEST(PngDecode, FaultsGiveTheirCode)
{
    const std::string good = png_from_scanlines(2, 2, 8, 2, RGB_ROWS), head = png_head(2, 2, 8, 2);
    const std::string iend = chunk("IEND", ""), idat = chunk("IDAT", zlib_compress(RGB_ROWS));
    const std::string plte = chunk("PLTE", bytes({10, 20, 30, 40, 50, 60, 70, 80, 90})), z = zlib_compress(bytes({0, 7}));
    auto grey_z = [&](const std::string &zlib) { return png_head(1, 1, 8, 0) + chunk("IDAT", zlib) + iend; };
    std::vector<std::pair<std::string, unsigned>> rows = {
        {"", PNG_ERR_EMPTY},
        {good.substr(0, 28), PNG_ERR_TOO_SHORT},
        {replace_at(good, 7, "\x0b"), PNG_ERR_SIGNATURE},
        {replace_at(good, 12, "IHDX"), PNG_ERR_IHDR},
        {replace_at(good, 8, be32(12)), PNG_ERR_IHDR},
        {replace_at(good, 26, "\x01"), PNG_ERR_COMPRESSION},
        {replace_at(good, 27, "\x01"), PNG_ERR_FILTER_METHOD},
        {replace_at(good, 28, "\x02"), PNG_ERR_INTERLACE},
        {png_head(1, 1, 8, 5) + iend, PNG_ERR_COLOR_TYPE},
        {png_head(1, 1, 8, 1) + iend, PNG_ERR_COLOR_TYPE},
        // No IEND: the walk runs off the end. Lengths above 2^31 - 1 or past the data.
        {head + idat, PNG_ERR_NO_IEND},
        {head + be32(0x80000000u) + "tEXt" + std::string(20, 'x'), PNG_ERR_CHUNK_LENGTH},
        {head + be32(0xFFFFFFF0u) + "tEXt" + std::string(20, 'x'), PNG_ERR_CHUNK_LENGTH},
        {head + be32(100) + "tEXt" + std::string(20, 'x'), PNG_ERR_CHUNK_PAST_END},
        // Unknown chunks: ancillary (lower-case first letter) skipped, critical refused.
        {head + chunk("zzZZ", "whatever") + idat + iend, 0},
        {head + chunk("ZzZZ", "whatever") + idat + iend, PNG_ERR_CRITICAL_CHUNK},
        {head + iend, PNG_ERR_ZLIB_SHORT},
        {grey_z(z), 0},
        {grey_z(z.substr(0, 1)), PNG_ERR_ZLIB_SHORT},
        {grey_z(bytes({0x78, 0x9d}) + z.substr(2)), PNG_ERR_ZLIB_CHECK},
        {grey_z(bytes({0x77, 0x85}) + z.substr(2)), PNG_ERR_ZLIB_METHOD},
        {grey_z(bytes({0x88, 0x98}) + z.substr(2)), PNG_ERR_ZLIB_METHOD},
        {grey_z(bytes({0x78, 0xbb}) + z.substr(2)), PNG_ERR_ZLIB_DICTIONARY},
        // Index beyond the palette: 8-bit, low depth, and no palette at all.
        {png_from_scanlines(1, 1, 8, 3, bytes({0, 3}), plte), PNG_ERR_PALETTE_INDEX},
        {png_from_scanlines(1, 1, 4, 3, bytes({0, 0x30}), plte), PNG_ERR_PALETTE_INDEX_LOW},
        {png_from_scanlines(1, 1, 8, 3, bytes({0, 0})), PNG_ERR_PALETTE_INDEX},
        {png_from_scanlines(1, 1, 8, 3, bytes({0, 0}), chunk("PLTE", std::string(257 * 3, 'a'))), PNG_ERR_PLTE_SIZE},
        {png_from_scanlines(1, 1, 8, 3, bytes({0, 0}), plte + chunk("tRNS", bytes({1, 2, 3, 4}))),
         PNG_ERR_TRNS_PALETTE},
        {png_from_scanlines(1, 1, 8, 0, bytes({0, 0}), chunk("tRNS", bytes({0, 0, 0}))), PNG_ERR_TRNS_GREY},
        {png_from_scanlines(1, 1, 8, 2, bytes({0, 0, 0, 0}), chunk("tRNS", bytes({0, 0, 0, 0}))), PNG_ERR_TRNS_RGB},
        {png_from_scanlines(1, 1, 8, 6, bytes({0, 0, 0, 0, 0}), chunk("tRNS", bytes({0, 0}))), PNG_ERR_TRNS_ALPHA},
        {png_from_scanlines(1, 1, 8, 4, bytes({0, 0, 0}), chunk("tRNS", bytes({0, 0}))), PNG_ERR_TRNS_ALPHA},
        {png_from_scanlines(1, 2, 8, 0, bytes({0, 1, 5, 2})), PNG_ERR_FILTER_TYPE},
        // One row short, one byte short, and one byte short of an interlaced 3 x 3.
        {png_from_scanlines(2, 2, 8, 0, bytes({0, 1, 2})), PNG_ERR_DATA_SHORT},
        {png_from_scanlines(2, 2, 8, 0, bytes({0, 1, 2, 0, 3})), PNG_ERR_DATA_SHORT},
        {png_from_scanlines(3, 3, 8, 0, bytes({0, 1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7, 8}), "", 1), PNG_ERR_DATA_SHORT},
    };
    const int bad_depths[][2] = {{0, 3}, {0, 0}, {2, 4}, {3, 16}, {4, 2}, {6, 1}, {6, 32}};
    for (const auto &cd : bad_depths)
        rows.push_back({png_head(1, 1, cd[1], cd[0]) + iend, PNG_ERR_BIT_DEPTH});
    for (size_t i = 0; i < rows.size(); i++)
        EXPECT_EQ(decode(rows[i].first).error, rows[i].second) << "row " << i;
    Decoded d;
    EXPECT_EQ(decode_png(d.rgba, d.width, d.height, nullptr, 10), (unsigned)PNG_ERR_EMPTY);
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

TEST(PngDecode, HandBuiltFilesGiveTheirPixels)
{
    const std::string z = zlib_compress(RGB_ROWS);
    // Every CRC in the file (IHDR, IDAT, IEND) and the Adler-32 broken: still decoded.
    std::string broken = png_from_scanlines(2, 2, 8, 2, RGB_ROWS);
    for (size_t pos : {(size_t)29, broken.size() - 1, broken.size() - 13, broken.size() - 17})
        broken[pos] ^= 0x55;
    // A 1 x 1 image whose data inflates to 16 MiB: only its first row is taken.
    const std::string bomb = png_from_scanlines(1, 1, 8, 0, bytes({0, 42}) + std::string(16 << 20, '\0'));
    EXPECT_LT(bomb.size(), 100000u);
    const struct {
        std::string file;
        std::vector<uint8_t> rgba;
    } rows[] = {
        // The image data split over several IDAT chunks, one of them empty.
        {png_head(2, 2, 8, 2) + chunk("IDAT", z.substr(0, 3)) + chunk("IDAT", "") + chunk("tIME", "1234567") +
             chunk("IDAT", z.substr(3)) + chunk("IEND", ""), RGB_PIXELS},
        {broken, RGB_PIXELS},
        {bomb, {42, 42, 42, 255}},
        // 16-bit colour keys compare all sixteen bits: grey 0x1234 (the key),
        // 0x1235 (same high byte), 0x0034, 0xFFFF; RGB the same.
        {png_from_scanlines(4, 1, 16, 0, bytes({0, 0x12, 0x34, 0x12, 0x35, 0x00, 0x34, 0xFF, 0xFF}),
                            chunk("tRNS", bytes({0x12, 0x34}))),
         {0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {png_from_scanlines(2, 1, 16, 2, bytes({0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7}),
                            chunk("tRNS", bytes({1, 2, 3, 4, 5, 6}))),
         {1, 3, 5, 0, 1, 3, 5, 255}},
        // An interlaced 3 x 3 grey image: passes 1 (1 px), 4 (1), 5 (2), 6 (2 rows of 1), 7 (1 row of 3).
        {png_from_scanlines(3, 3, 8, 0, bytes({0, 1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7, 8, 9}), "", 1),
         {1, 1, 1, 255, 5, 5, 5, 255, 2, 2, 2, 255, 7, 7, 7, 255, 8, 8, 8, 255, 9, 9, 9, 255, 3, 3, 3, 255, 6, 6, 6,
          255, 4, 4, 4, 255}},
    };
    for (const auto &row : rows) {
        Decoded d = decode(row.file);
        ASSERT_EQ(d.error, 0u) << &row - rows;
        EXPECT_EQ(d.rgba, row.rgba) << &row - rows;
    }
}
