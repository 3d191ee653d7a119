// The inflate alone, against zlib: random data, long runs, 32 KiB
// distances, stored blocks over 64 KiB, every level and strategy, and
// hand-built blocks for the code-set rules zlib's encoder never exercises.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "render/deflate_test_util.h"
#include "render/inflate.h"
#include "render/png_decode.h"
#include "render/png_test_util.h"

using deflatetest::BitWriter;

namespace {

std::string random_bytes(size_t n, uint64_t seed, unsigned alphabet = 256)
{
    pngtest::Rng rng(seed);
    std::string s(n, '\0');
    for (auto &c : s)
        c = (char)rng.below(alphabet);
    return s;
}

unsigned ours(const std::string &stream, std::string *out, size_t max_out = SIZE_MAX)
{
    std::vector<uint8_t> buf;
    unsigned rc = inflate_raw(buf, reinterpret_cast<const uint8_t *>(stream.data()), stream.size(), max_out);
    out->assign(buf.begin(), buf.end());
    return rc;
}

void expect_round_trip(const std::string &data, int level, int strategy)
{
    std::string stream = deflatetest::zlib_deflate_raw(data, level, strategy);
    std::string got;
    // An output limit of exactly the data's size still lets the stream end.
    ASSERT_EQ(ours(stream, &got, data.size()), 0u) << "level " << level << " strategy " << strategy;
    ASSERT_TRUE(got == data) << "level " << level << " strategy " << strategy << " size " << data.size();
}

// Fixed-Huffman literal/length code of a symbol, as (code, length).
void fixed_symbol(BitWriter &w, unsigned sym)
{
    if (sym < 144)
        w.code(0x30 + sym, 8);
    else if (sym < 256)
        w.code(0x190 + sym - 144, 9);
    else if (sym < 280)
        w.code(sym - 256, 7);
    else
        w.code(0xC0 + sym - 280, 8);
}

} // namespace

TEST(Inflate, RandomDataEveryLevelAndStrategy)
{
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    uint64_t seed = 1;
    for (size_t size : {0, 1, 2, 100, 5000, 70000})
        for (unsigned alphabet : {2u, 16u, 256u})
            for (int level = 0; level <= 9; level++)
                for (int strategy : strategies)
                    expect_round_trip(random_bytes(size, seed++, alphabet), level, strategy);
}

TEST(Inflate, LongRunsAndFarDistances)
{
    // A megabyte of one byte: distance 1, length 258 over and over.
    expect_round_trip(std::string(1 << 20, 'x'), 9, Z_DEFAULT_STRATEGY);
    expect_round_trip(std::string(1 << 20, 'x'), 1, Z_RLE);
    // A short pattern repeated: distances shorter than the length.
    std::string pattern;
    for (int i = 0; i < 100000; i++)
        pattern += "abcdefg"[i % 7];
    expect_round_trip(pattern, 6, Z_DEFAULT_STRATEGY);
    // Random blocks repeated at exactly 32 KiB, just under, and well inside.
    for (size_t period : {32768, 32767, 32000, 20000}) {
        std::string block = random_bytes(period, period);
        std::string data = block + block + block + block.substr(0, 1000);
        for (int level : {1, 6, 9})
            expect_round_trip(data, level, Z_DEFAULT_STRATEGY);
    }
}

TEST(Inflate, StoredBlocksOver64KiB)
{
    for (size_t size : {65535, 65536, 65537, 200000, 300001}) {
        std::string data = random_bytes(size, size);
        std::string stream = deflatetest::zlib_deflate_raw(data, 0, Z_DEFAULT_STRATEGY);
        std::string got;
        ASSERT_EQ(ours(stream, &got), 0u);
        ASSERT_TRUE(got == data) << size;
    }
}

TEST(Inflate, OutputStopsAtTheLimit)
{
    std::string data = random_bytes(500000, 3, 4);
    std::string stream = deflatetest::zlib_deflate_raw(data, 6, Z_DEFAULT_STRATEGY);
    for (size_t limit : {0, 1, 999, 65536, 499999}) {
        std::string got;
        EXPECT_EQ(ours(stream, &got, limit), (unsigned)INFLATE_OUTPUT_LIMIT);
        ASSERT_EQ(got.size(), limit);
        EXPECT_TRUE(got == data.substr(0, limit));
    }
    std::string got;
    EXPECT_EQ(ours(stream, &got, 500000), 0u);
    // A stored block is cut at the limit too.
    std::string stored = deflatetest::zlib_deflate_raw(data.substr(0, 1000), 0, Z_DEFAULT_STRATEGY);
    EXPECT_EQ(ours(stored, &got, 10), (unsigned)INFLATE_OUTPUT_LIMIT);
    EXPECT_EQ(got, data.substr(0, 10));
}

TEST(Inflate, SingleDistanceCodeAndNoDistanceCodesDecodeAsZlibDoes)
{
    std::vector<uint8_t> lit(257, 0), dist(1, 1);
    lit['a'] = 1;
    lit[256] = 2;
    lit.push_back(2);  // symbol 257: length 3
    BitWriter w;
    deflatetest::dynamic_header(w, true, lit, dist);
    auto lc = deflatetest::canonical_codes(lit);
    w.code(lc['a'], 1);
    w.code(lc[257], 2);
    w.code(0, 1);  // the one distance code: distance 1
    w.code(lc[256], 2);
    std::string stream = w.finish(), got, want;
    ASSERT_TRUE(deflatetest::zlib_inflate_raw(stream, 100, &want));
    EXPECT_EQ(want, "aaaa");
    EXPECT_EQ(ours(stream, &got), 0u);
    EXPECT_EQ(got, "aaaa");

    // The unused half of that incomplete code is no distance.
    BitWriter bad;
    deflatetest::dynamic_header(bad, true, lit, dist);
    bad.code(lc['a'], 1);
    bad.code(lc[257], 2);
    bad.code(1, 1);
    bad.code(lc[256], 2);
    stream = bad.finish();
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(stream, 100, &want));
    EXPECT_EQ(ours(stream, &got), (unsigned)PNG_ERR_DISTANCE);

    // No distance codes at all: a block of literals only.
    BitWriter lits;
    std::vector<uint8_t> none(1, 0), lit2(257, 0);
    lit2['b'] = 1;
    lit2[256] = 1;
    deflatetest::dynamic_header(lits, true, lit2, none);
    auto lc2 = deflatetest::canonical_codes(lit2);
    lits.code(lc2['b'], 1);
    lits.code(lc2['b'], 1);
    lits.code(lc2[256], 1);
    stream = lits.finish();
    ASSERT_TRUE(deflatetest::zlib_inflate_raw(stream, 100, &want));
    EXPECT_EQ(ours(stream, &got), 0u);
    EXPECT_EQ(got, want);
}

TEST(Inflate, InvalidCodeSetsAreRefused)
{
    auto header_only = [](std::vector<uint8_t> lit, std::vector<uint8_t> dist) {
        BitWriter w;
        deflatetest::dynamic_header(w, true, lit, dist);
        w.bits(0, 32);
        return w.finish();
    };
    std::string got, ref;
    // Over-subscribed literal/length code: three one-bit codes.
    std::vector<uint8_t> lit(257, 0), dist(2, 1);
    lit[0] = lit[1] = lit[256] = 1;
    std::string s = header_only(lit, dist);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_HUFFMAN_TREE);
    // Incomplete literal/length code of two-bit codes.
    lit.assign(257, 0);
    lit[0] = lit[256] = 2;
    s = header_only(lit, dist);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_HUFFMAN_TREE);
    // Incomplete distance code longer than one bit.
    lit[0] = lit[256] = 1;
    std::vector<uint8_t> dist2 = {2, 2};
    s = header_only(lit, dist2);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_HUFFMAN_TREE);
    // Over-subscribed distance code.
    std::vector<uint8_t> dist3 = {1, 1, 1};
    s = header_only(lit, dist3);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_HUFFMAN_TREE);
    // No code for end-of-block.
    std::vector<uint8_t> lit3(257, 0);
    lit3[0] = lit3[1] = 1;
    s = header_only(lit3, dist);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_NO_END_CODE);
    // More than 286 literal/length codes.
    std::vector<uint8_t> lit4(287, 0);
    lit4[0] = lit4[256] = 1;
    s = header_only(lit4, dist);
    EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
    EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_HUFFMAN_TREE);
}

TEST(Inflate, BadSymbolsAndDistancesAreRefused)
{
    std::string got, ref;
    for (unsigned sym : {286u, 287u}) {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        fixed_symbol(w, 'a');
        fixed_symbol(w, sym);
        fixed_symbol(w, 256);
        std::string s = w.finish();
        EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
        EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_NO_SYMBOL) << sym;
    }
    // Distance symbols 30 and 31 of the fixed code.
    for (unsigned dsym : {30u, 31u}) {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        fixed_symbol(w, 'a');
        fixed_symbol(w, 257);
        w.code(dsym, 5);
        fixed_symbol(w, 256);
        std::string s = w.finish();
        EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
        EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_DISTANCE);
    }
    // A back-reference before the start of the output.
    for (unsigned produced : {0u, 1u, 5u}) {
        BitWriter w;
        w.bits(1, 1);
        w.bits(1, 2);
        for (unsigned i = 0; i < produced; i++)
            fixed_symbol(w, 'a');
        fixed_symbol(w, 257);
        w.code(4, 5);  // distance 5 or 6 (one extra bit)
        w.bits(1, 1);  // 6
        fixed_symbol(w, 256);
        std::string s = w.finish();
        EXPECT_FALSE(deflatetest::zlib_inflate_raw(s, 100, &ref));
        EXPECT_EQ(ours(s, &got), (unsigned)PNG_ERR_DISTANCE);
    }
    // Block type 3.
    EXPECT_EQ(ours(std::string(1, '\x07'), &got), (unsigned)PNG_ERR_BLOCK_TYPE);
    // Stored block whose LEN and NLEN disagree, and one past the end.
    EXPECT_EQ(ours(std::string("\x01\x05\x00\xfa\xfe", 5) + "hello", &got), (unsigned)PNG_ERR_STORED_LEN);
    EXPECT_EQ(ours(std::string("\x01\x05\x00\xfa\xff", 5) + "hel", &got), (unsigned)PNG_ERR_STORED_PAST_END);
    // An empty final stored block that ends the data exactly is valid.
    EXPECT_EQ(ours(std::string("\x01\x00\x00\xff\xff", 5), &got), 0u);
    EXPECT_TRUE(deflatetest::zlib_inflate_raw(std::string("\x01\x00\x00\xff\xff", 5), 10, &ref));
    EXPECT_EQ(ours("", &got), (unsigned)PNG_ERR_BLOCK_HEADER);
}

TEST(Inflate, EveryTruncationFailsCleanly)
{
    std::string data = random_bytes(3000, 11, 8) + std::string(500, 'z') + random_bytes(2000, 12);
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
        std::string stream = deflatetest::zlib_deflate_raw(data, 9, strategy);
        for (size_t cut = 0; cut < stream.size(); cut++) {
            std::string got, ref;
            unsigned rc = ours(stream.substr(0, cut), &got, data.size());
            bool zlib_ok = deflatetest::zlib_inflate_raw(stream.substr(0, cut), data.size(), &ref);
            ASSERT_EQ(rc == 0, zlib_ok) << "cut " << cut;
            ASSERT_TRUE(got.size() <= data.size());
            ASSERT_TRUE(got == data.substr(0, got.size()));
        }
    }
}
