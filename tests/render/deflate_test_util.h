// Deflate streams for the inflate tests: zlib's raw deflate and inflate as
// the reference, and a bit writer for hand-built blocks that zlib's encoder
// never makes (single distance codes, bad code sets, symbols 286 and 287).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace deflatetest {

// Raw deflate (no zlib wrapper) by zlib at the given level and strategy.
std::string zlib_deflate_raw(const std::string &data, int level, int strategy);

// zlib's raw inflate with an output limit; false when zlib refuses the
// stream or it does not end within the data.
bool zlib_inflate_raw(const std::string &stream, size_t max_out, std::string *out);

class BitWriter {
public:
    void bits(uint32_t value, unsigned count);  // least significant first
    void code(uint32_t code, unsigned len);     // Huffman code, most significant first
    std::string finish();                       // pads the last byte with zeros
private:
    std::string out_;
    uint32_t acc_ = 0;
    unsigned n_ = 0;
};

// Canonical codes of the given code lengths.
std::vector<uint32_t> canonical_codes(const std::vector<uint8_t> &lens);

// Writes a dynamic block header (BFINAL as given) for these literal/length
// and distance code lengths; every length is sent as its own code-length
// symbol through a complete code-length code.
void dynamic_header(BitWriter &w, bool final, const std::vector<uint8_t> &lit, const std::vector<uint8_t> &dist);

} // namespace deflatetest
