// Test helpers for the image decoders: PNG files written by libpng and
// deflate streams made by zlib (the independent references), libpng's and
// zlib's own decodes, hand-built chunks, and a small deterministic random
// generator.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace pngtest {

// xorshift64*: the same sequence on every machine.
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t next()
    {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return s * 0x2545F4914F6CDD1Dull;
    }
    uint32_t below(uint32_t n) { return n ? (uint32_t)(next() % n) : 0; }
};

// What libpng is asked to write.
struct PngParams {
    uint32_t width = 1, height = 1;
    int color_type = 6;     // PNG_COLOR_TYPE_*
    int bit_depth = 8;
    bool interlace = false;
    int filters = -1;       // PNG_FILTER_* mask; -1 leaves libpng's choice
    int level = -1;         // zlib level; -1 default
    int strategy = -1;      // zlib strategy; -1 default
    size_t idat_buffer = 0; // compression buffer size (small: many IDAT chunks)
    int palette_size = 0;   // colour type 3: entries (0: 1 << depth)
    int trns_count = -1;    // palette: alpha values written (-1: none)
    bool color_key = false; // grey / RGB: write a tRNS colour key
    uint16_t key[3] = {0, 0, 0};
};

// Raw samples of the image: rows of width x channels values (0 to 2^depth-1).
struct Samples {
    std::vector<uint16_t> v;
    unsigned channels = 0;
};

unsigned channels_of(int color_type);

// Makes samples with a mix of gradients, noise and flat runs, so that every
// filter and every kind of deflate block gets used.
Samples make_samples(const PngParams &params, uint64_t seed);

// Writes a PNG with libpng. Throws std::runtime_error on a libpng error.
std::string write_png(const PngParams &params, const Samples &samples);

// libpng's decode expanded to 8-bit RGBA (16-bit samples keep the high
// byte). Returns false when libpng refuses the file.
bool libpng_decode_rgba(const std::string &file, std::vector<uint8_t> &rgba, unsigned &width, unsigned &height);

// Raw deflate (no zlib wrapper) by zlib at the given level and strategy.
std::string zlib_deflate_raw(const std::string &data, int level, int strategy);
// zlib's raw inflate with an output limit; false when zlib refuses the
// stream or it does not end within the data.
bool zlib_inflate_raw(const std::string &stream, size_t max_out, std::string *out);

std::string bytes(std::initializer_list<int> values);
std::string be32(uint32_t v);
// One chunk with its length and CRC.
std::string chunk(const char *type, const std::string &data);
// The signature and an IHDR chunk.
std::string png_head(uint32_t width, uint32_t height, int depth, int color_type, int interlace = 0);
// zlib compression (default level) of data.
std::string zlib_compress(const std::string &data);
// A complete PNG of the given raw filtered scanlines.
std::string png_from_scanlines(uint32_t width, uint32_t height, int depth, int color_type,
                               const std::string &scanlines, const std::string &extra_chunks = "",
                               int interlace = 0);

} // namespace pngtest
