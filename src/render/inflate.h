// Raw deflate (RFC 1951) decompression for the PNG decoder; no library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Inflates the raw deflate stream data[0..size) into out (resized to the
// bytes produced). Output never grows past max_out bytes: when the stream
// holds more, inflating stops there and INFLATE_OUTPUT_LIMIT is returned
// with out holding exactly max_out bytes, so a small stream can never make
// a large buffer (decompression bomb).
//
// Returns 0 when the final block ended, else one of the decoder's error
// codes (the numbers are shared with decode_png, see png_decode.h):
//   10 a Huffman symbol runs past the end of the data
//   11 a bit pattern that is no symbol, or length symbol 286 or 287
//   13, 14, 15 a repeat code 16, 17, 18 runs past the lengths (13 also for
//      a code 16 with no previous length)
//   16 a code-length symbol above 18
//   18 distance symbol 30 or 31, or a distance reaching before the start of
//      the output
//   20 block type 3
//   21 stored block LEN and NLEN do not match
//   23 stored block runs past the end of the data
//   49, 50 data ends inside a dynamic block header / a repeat's extra bits
//   51 data ends inside the extra bits of a length or distance
//   52 data ends inside a block header
//   55 code lengths that form no valid code (over-subscribed, or incomplete
//      where zlib also refuses), or more than 286 length or 30 distance codes
//   64 a dynamic block without a code for end-of-block
unsigned inflate_raw(std::vector<uint8_t> &out, const uint8_t *data, size_t size, size_t max_out);

// The same into a malloc'd buffer that is not zero-filled first (the PNG
// decoder's path: only the bytes written are ever touched).
struct InflateOutput {
    uint8_t *data = nullptr;
    size_t size = 0;
    InflateOutput() = default;
    InflateOutput(const InflateOutput &) = delete;
    InflateOutput &operator=(const InflateOutput &) = delete;
    ~InflateOutput();
};
unsigned inflate_raw_buffer(InflateOutput *out, const uint8_t *data, size_t size, size_t max_out);

enum : unsigned {
    INFLATE_OUTPUT_LIMIT = 72,
};
