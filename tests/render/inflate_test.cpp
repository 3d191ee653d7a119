// The inflate alone, against zlib: random data, long runs, 32 KiB
// distances, stored blocks over 64 KiB, every level and strategy, and
// hand-built blocks for the code-set rules zlib's encoder never exercises.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "render/inflate.h"
#include "render/png_decode.h"
#include "render/png_test_util.h"

using namespace pngtest;

namespace {

std::string random_bytes(size_t n, uint64_t seed, unsigned alphabet = 256)
{
    Rng rng(seed);
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
    std::string stream = zlib_deflate_raw(data, level, strategy);
    std::string got;
    // An output limit of exactly the data's size still lets the stream end.
    ASSERT_EQ(ours(stream, &got, data.size()), 0u) << "level " << level << " strategy " << strategy;
    ASSERT_TRUE(got == data) << "level " << level << " strategy " << strategy << " size " << data.size();
}

// Deflate bits, least significant first; Huffman codes most significant first.
struct BitWriter {
    std::string out;
    unsigned n = 0;
    void bits(uint32_t value, unsigned count)
    {
        for (unsigned i = 0; i < count; i++, n++) {
            if (n % 8 == 0)
                out += '\0';
            out.back() |= (char)(((value >> i) & 1u) << (n % 8));
        }
    }
    void code(uint32_t code, unsigned len)
    {
        while (len-- > 0)
            bits(code >> len, 1);
    }
};

// Canonical Huffman codes of these code lengths: by length, then by symbol.
std::vector<uint32_t> canonical_codes(const std::vector<uint8_t> &lens)
{
    std::vector<uint32_t> codes(lens.size(), 0);
    uint32_t code = 0;
    for (unsigned len = 1; len < 16; len++, code <<= 1)
        for (size_t i = 0; i < lens.size(); i++)
            if (lens[i] == len)
                codes[i] = code++;
    return codes;
}

// Code lengths: n entries, zero but for the (symbol, length) pairs given.
std::vector<uint8_t> lens(size_t n, std::initializer_list<std::pair<int, int>> set)
{
    std::vector<uint8_t> v(n, 0);
    for (auto p : set)
        v[p.first] = (uint8_t)p.second;
    return v;
}

// A final block: fixed Huffman when lit is empty, else dynamic with these
// code lengths (each sent as its own code-length symbol through a complete
// code of 4- and 5-bit codes). Then the literal/length symbols given, where
// 1000 + d stands for distance symbol d and 2000 + v for one bit of value v;
// with no symbols, 32 zero bits.
std::string block(std::vector<uint8_t> lit, std::vector<uint8_t> dist, std::initializer_list<unsigned> symbols)
{
    static const int ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    BitWriter w;
    w.bits(1, 1);
    w.bits(lit.empty() ? 1 : 2, 2);
    if (lit.empty()) {
        for (int i = 0; i < 288; i++)
            lit.push_back(i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8);
        dist.assign(32, 5);
    } else {
        std::vector<uint8_t> cl(19);
        for (int i = 0; i < 19; i++)
            cl[i] = i <= 12 ? 4 : 5;
        const auto cl_codes = canonical_codes(cl);
        w.bits((uint32_t)lit.size() - 257, 5);
        w.bits((uint32_t)dist.size() - 1, 5);
        w.bits(19 - 4, 4);
        for (int i = 0; i < 19; i++)
            w.bits(cl[ORDER[i]], 3);
        for (const auto *set : {&lit, &dist})
            for (uint8_t l : *set)
                w.code(cl_codes[l], cl[l]);
    }
    const auto lit_codes = canonical_codes(lit), dist_codes = canonical_codes(dist);
    for (unsigned s : symbols)
        if (s >= 2000)
            w.bits(s - 2000, 1);
        else if (s >= 1000)
            w.code(dist_codes[s - 1000], dist[s - 1000]);
        else
            w.code(lit_codes[s], lit[s]);
    if (!symbols.size())
        w.bits(0, 32);
    return w.out;
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

TEST(Inflate, LongRunsFarDistancesAndStoredBlocksOver64KiB)
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
    for (size_t size : {65535, 65536, 65537, 200000, 300001})
        expect_round_trip(random_bytes(size, size), 0, Z_DEFAULT_STRATEGY);
}

TEST(Inflate, OutputStopsAtTheLimit)
{
    std::string data = random_bytes(500000, 3, 4), got;
    // The last limit cuts a stored block.
    const std::string streams[] = {zlib_deflate_raw(data, 6, Z_DEFAULT_STRATEGY),
                                   zlib_deflate_raw(data.substr(0, 1000), 0, Z_DEFAULT_STRATEGY)};
    for (size_t limit : {0, 1, 999, 65536, 499999, 10}) {
        EXPECT_EQ(ours(streams[limit == 10], &got, limit), (unsigned)INFLATE_OUTPUT_LIMIT);
        ASSERT_EQ(got.size(), limit);
        EXPECT_TRUE(got == data.substr(0, limit));
    }
    EXPECT_EQ(ours(streams[0], &got, 500000), 0u);
}

// Hand-built streams: zlib accepts exactly those we accept, with the same
// bytes; each refusal has its code.
TEST(Inflate, HandBuiltStreamsDecodeOrFailAsZlibDoes)
{
    // 'a' under one bit, the end and 257 (length 3) under two; 'b' and the end.
    const auto a_lit = lens(258, {{'a', 1}, {256, 2}, {257, 2}}), b_lit = lens(257, {{'b', 1}, {256, 1}});
    const auto ok_lit = lens(257, {{0, 1}, {256, 1}}), one_dist = lens(1, {{0, 1}}), dist2 = lens(2, {{0, 1}, {1, 1}});
    const struct {
        std::string stream;
        unsigned code;
        const char *want;
    } rows[] = {
        // A single one-bit distance code: its code 0 is distance 1, the unused half is none.
        {block(a_lit, one_dist, {'a', 257, 1000, 256}), 0, "aaaa"},
        {block(a_lit, one_dist, {'a', 257, 2001, 256}), PNG_ERR_DISTANCE, nullptr},
        // No distance codes at all: a block of literals only.
        {block(b_lit, lens(1, {}), {'b', 'b', 256}), 0, "bb"},
        // Over-subscribed and incomplete literal/length and distance codes.
        {block(lens(257, {{0, 1}, {1, 1}, {256, 1}}), dist2, {}), PNG_ERR_HUFFMAN_TREE, nullptr},
        {block(lens(257, {{0, 2}, {256, 2}}), dist2, {}), PNG_ERR_HUFFMAN_TREE, nullptr},
        {block(ok_lit, lens(2, {{0, 2}, {1, 2}}), {}), PNG_ERR_HUFFMAN_TREE, nullptr},
        {block(ok_lit, lens(3, {{0, 1}, {1, 1}, {2, 1}}), {}), PNG_ERR_HUFFMAN_TREE, nullptr},
        // No code for end-of-block; more than 286 literal/length codes.
        {block(lens(257, {{0, 1}, {1, 1}}), dist2, {}), PNG_ERR_NO_END_CODE, nullptr},
        {block(lens(287, {{0, 1}, {256, 1}}), dist2, {}), PNG_ERR_HUFFMAN_TREE, nullptr},
        // Length symbols 286 and 287, distance symbols 30 and 31 of the fixed code.
        {block({}, {}, {'a', 286, 256}), PNG_ERR_NO_SYMBOL, nullptr},
        {block({}, {}, {'a', 287, 256}), PNG_ERR_NO_SYMBOL, nullptr},
        {block({}, {}, {'a', 257, 1030, 256}), PNG_ERR_DISTANCE, nullptr},
        {block({}, {}, {'a', 257, 1031, 256}), PNG_ERR_DISTANCE, nullptr},
        // Distance 6 (symbol 4, extra bit 1) after 0, 1 and 5 bytes of output.
        {block({}, {}, {257, 1004, 2001, 256}), PNG_ERR_DISTANCE, nullptr},
        {block({}, {}, {'a', 257, 1004, 2001, 256}), PNG_ERR_DISTANCE, nullptr},
        {block({}, {}, {'a', 'a', 'a', 'a', 'a', 257, 1004, 2001, 256}), PNG_ERR_DISTANCE, nullptr},
        // Block type 3; stored blocks whose LEN and NLEN disagree, past the
        // end, and empty and final at the very end (valid); no data at all.
        {std::string(1, '\x07'), PNG_ERR_BLOCK_TYPE, nullptr},
        {bytes({1, 5, 0, 0xfa, 0xfe}) + "hello", PNG_ERR_STORED_LEN, nullptr},
        {bytes({1, 5, 0, 0xfa, 0xff}) + "hel", PNG_ERR_STORED_PAST_END, nullptr},
        {bytes({1, 0, 0, 0xff, 0xff}), 0, ""},
        {"", PNG_ERR_BLOCK_HEADER, nullptr},
    };
    for (const auto &row : rows) {
        std::string got, ref;
        const bool zlib_ok = zlib_inflate_raw(row.stream, 100, &ref);
        EXPECT_EQ(ours(row.stream, &got), row.code) << &row - rows;
        EXPECT_EQ(zlib_ok, row.code == 0) << &row - rows;
        if (row.want) {
            EXPECT_EQ(got, row.want);
            EXPECT_EQ(ref, row.want);
        }
    }
}
