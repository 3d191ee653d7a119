// Broken input for both decoders: every valid test file cut at every
// offset, and mutated with a fixed seed (100,000 inputs per decoder by
// default; KX_FUZZ_SCALE=n runs n times as many, see `make fuzz`). The
// inflate is also run against zlib on mutated streams: both must accept
// the same streams and give the same bytes. Nothing may read out of
// bounds (the ASan build checks) and every success must be a whole image.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/inflate.h"
#include "render/png_decode.h"
#include "render/png_test_util.h"
#include "render/tga_read.h"
#include "support/test_support.h"

namespace {

// Changes a copy of the input in one to four places: bytes set, bits
// flipped, 32-bit fields overwritten with edge values, ranges cut or
// repeated.
std::string mutate(std::string s, pngtest::Rng &rng, size_t hot_begin)
{
    int count = 1 + rng.below(4);
    for (int m = 0; m < count; m++) {
        if (s.empty())
            s = "x";
        size_t lo = hot_begin < s.size() && rng.below(2) ? hot_begin : 0;
        size_t pos = lo + rng.below((uint32_t)(s.size() - lo));
        // In-place changes are the most common, so that most inputs keep
        // their structure and reach the deeper stages.
        static const int PICK[10] = {0, 0, 1, 1, 1, 2, 3, 4, 5, 6};
        switch (PICK[rng.below(10)]) {
        case 0: s[pos] = (char)rng.next(); break;
        case 1: s[pos] ^= (char)(1 << rng.below(8)); break;
        case 2: s[pos] = "\x00\x01\x7f\x80\xff\x20"[rng.below(6)]; break;
        case 3: {
            static const uint32_t edge[] = {0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 16384, 16385, 65535};
            uint32_t v = edge[rng.below(8)];
            for (int k = 0; k < 4 && pos + k < s.size(); k++)
                s[pos + k] = (char)(v >> (24 - 8 * k));
            break;
        }
        case 4: s.erase(pos, 1 + rng.below(16)); break;
        case 5: s.insert(pos, s.substr(rng.below((uint32_t)s.size()), 1 + rng.below(16))); break;
        default: s.resize(pos); break;
        }
    }
    return s;
}

// Decodes with one reader; a success must be a whole image, a failure
// leaves no pixels. Returns whether the input was accepted.
bool png_sound(const std::string &file)
{
    std::vector<uint8_t> out;
    unsigned w = 0, h = 0;
    if (decode_png(out, w, h, reinterpret_cast<const uint8_t *>(file.data()), file.size()) != 0)
        return false;
    EXPECT_TRUE(w >= 1 && h >= 1 && w <= PNG_MAX_SIDE && h <= PNG_MAX_SIDE);
    EXPECT_EQ(out.size(), (size_t)w * h * 4);
    return true;
}

bool tga_sound(const std::string &file)
{
    TgaImage img;
    if (tga_decode(reinterpret_cast<const uint8_t *>(file.data()), file.size(), &img) != TGA_OK) {
        EXPECT_TRUE(img.pixels.empty());
        return false;
    }
    EXPECT_TRUE(img.components >= 1 && img.components <= 4);
    EXPECT_EQ(img.pixels.size(), (size_t)img.width * img.height * img.components);
    return true;
}

// Every file of the corpus is accepted whole; every cut of it is sound (and
// refused when cuts_fail); then 100,000 times the fuzz scale mutations
// (the seed's; hot_begin as for mutate) are sound.
void cut_and_mutate(const std::vector<std::string> &corpus, bool (*sound)(const std::string &), bool cuts_fail,
                    uint64_t seed, size_t hot_begin)
{
    long inputs = 0;
    for (const std::string &file : corpus) {
        ASSERT_TRUE(sound(file));
        for (size_t cut = 0; cut < file.size() && !::testing::Test::HasFailure(); cut++, inputs++)
            EXPECT_FALSE(sound(file.substr(0, cut)) && cuts_fail) << "cut " << cut;
        ASSERT_FALSE(::testing::Test::HasFailure());
    }
    pngtest::Rng rng(seed);
    const long total = 100000 * kxtest::fuzz_scale();
    for (long i = 0; i < total && !::testing::Test::HasFailure(); i++, inputs++)
        sound(mutate(corpus[rng.below((uint32_t)corpus.size())], rng, hot_begin));
    EXPECT_GE(inputs, 100000);
}

std::vector<std::string> png_corpus()
{
    // Colour type, depth, palette alpha values (-1 none), colour key; each plain and interlaced.
    const int formats[][4] = {{0, 1, -1, 0}, {0, 2, -1, 1}, {0, 4, -1, 0}, {0, 8, -1, 1}, {0, 16, -1, 1},
                              {2, 8, -1, 1}, {2, 16, -1, 0}, {3, 1, -1, 0}, {3, 2, 2, 0},  {3, 4, -1, 0},
                              {3, 8, 5, 0},  {4, 8, -1, 0}, {4, 16, -1, 0}, {6, 8, -1, 0}, {6, 16, -1, 0}};
    const int strategies[] = {-1, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE};
    std::vector<std::string> corpus;
    for (unsigned k = 0; k < 30; k++) {
        const int *f = formats[k / 2];
        // Plain, then interlaced; all filters; stored or level 9 data of a strategy.
        const pngtest::PngParams s{3 + k % 9, 2 + (k * 5) % 9, f[0], f[1], k % 2 == 1, PNG_ALL_FILTERS,
                                   k % 3 == 0 ? 0 : 9, strategies[k % 4], 0, 0, f[2], f[3] != 0, {1, 1, 1}};
        corpus.push_back(pngtest::write_png(s, pngtest::make_samples(s, 100 + k)));
    }
    return corpus;
}

// Every image type and depth at sides 1, 4 (with an image id) and 8.
std::vector<std::string> tga_corpus()
{
    std::vector<std::string> corpus;
    pngtest::Rng rng(5);
    const int kinds[][2] = {{2, 16}, {2, 24}, {2, 32}, {3, 8}, {3, 16}, {10, 16}, {10, 24}, {10, 32}, {11, 8},
                            {11, 16}, {1, 8}, {9, 8}};
    for (const auto &kd : kinds)
        for (int side : {1, 4, 8}) {
            const int type = kd[0], bpp = kd[1] / 8, n = side * side;
            const bool mapped = type == 1 || type == 9;
            std::string file = pngtest::bytes({side == 4 ? 3 : 0, mapped, type, 0, 0, mapped ? 6 : 0, 0,
                                               mapped ? 24 : 0, 0, 0, 0, 0, side, 0, side, 0, kd[1], 0});
            file += side == 4 ? "abc" : "";
            for (int i = 0; mapped && i < 18; i++)
                file += (char)rng.next();
            auto pixels = [&](int count) {
                for (int i = 0; i < count * bpp; i++)
                    file += mapped ? (char)rng.below(6) : (char)rng.next();
            };
            if (type < 9)
                pixels(n);
            for (int done = 0, c; type >= 9 && done < n; done += c) {
                c = std::min<int>(1 + rng.below(5), n - done);
                const bool run = rng.below(2);
                file += (char)((run ? 0x80 : 0) | (c - 1));
                pixels(run ? 1 : c);
            }
            corpus.push_back(file);
        }
    return corpus;
}

} // namespace

// Half the PNG mutations land in the chunks after the header.
TEST(ImageRobustness, PngCutAtEveryOffsetAndMutated)
{
    cut_and_mutate(png_corpus(), png_sound, false, 20240601, 33);
}

TEST(ImageRobustness, TgaCutAtEveryOffsetAndMutated)
{
    cut_and_mutate(tga_corpus(), tga_sound, true, 777, 0);
}

TEST(ImageRobustness, MutatedDeflateStreamsMatchZlib)
{
    std::vector<std::string> streams;
    pngtest::Rng rng(31);
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE};
    for (int i = 0; i < 12; i++) {
        std::string data;
        size_t n = 20 + rng.below(300);
        for (size_t k = 0; k < n; k++)
            data += (char)(rng.below(3) ? 'a' + rng.below(4) : rng.next());
        streams.push_back(pngtest::zlib_deflate_raw(data, i % 3 == 0 ? 0 : 9, strategies[i % 4]));
    }
    const size_t limit = 1 << 16;
    const long total = 30000 * kxtest::fuzz_scale();
    long both_ok = 0;
    for (long i = 0; i < total; i++) {
        std::string s = mutate(streams[rng.below((uint32_t)streams.size())], rng, 0);
        std::vector<uint8_t> got;
        std::string want;
        unsigned rc = inflate_raw(got, reinterpret_cast<const uint8_t *>(s.data()), s.size(), limit);
        bool zlib_ok = pngtest::zlib_inflate_raw(s, limit, &want);
        const std::string ours(got.begin(), got.end());
        if (rc == INFLATE_OUTPUT_LIMIT) {
            // zlib ran out of room at the same point, or the stream ends
            // badly after it; either way the bytes up to the limit agree.
            ASSERT_EQ(got.size(), limit);
            ASSERT_TRUE(ours.compare(0, want.size(), want) == 0);
            continue;
        }
        ASSERT_EQ(rc == 0, zlib_ok) << "input " << i << " our code " << rc;
        both_ok += zlib_ok;
        ASSERT_TRUE(!zlib_ok || ours == want) << "input " << i;
    }
    // Mutations leave a fair share of streams valid, so outputs are compared.
    EXPECT_GT(both_ok, total / 100);
}
