// The program's own PNG decoder: a whole PNG file held in memory becomes
// 8-bit RGBA pixels. No image or compression library is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Largest image accepted: each side and the pixel count. Sizes in headers
// are untrusted; anything larger is refused before memory is reserved.
constexpr uint32_t PNG_MAX_SIDE = 16384;
constexpr uint64_t PNG_MAX_PIXELS = 64ull * 1024 * 1024;

// Return codes of decode_png (0 is success). Nothing is printed; the
// texture loader reports failures.
enum PngError : unsigned {
    PNG_OK = 0,
    PNG_ERR_SYMBOL_PAST_END = 10,      // a Huffman symbol runs past the data
    PNG_ERR_NO_SYMBOL = 11,            // bit pattern of no symbol; length 286, 287
    PNG_ERR_REPEAT16 = 13,             // code 16 runs past the lengths, or comes first
    PNG_ERR_REPEAT17 = 14,             // code 17 runs past the lengths
    PNG_ERR_REPEAT18 = 15,             // code 18 runs past the lengths
    PNG_ERR_CODE_LENGTH_SYMBOL = 16,   // code-length symbol above 18
    PNG_ERR_DISTANCE = 18,             // distance symbol 30, 31, or before the output
    PNG_ERR_BLOCK_TYPE = 20,           // deflate block type 3
    PNG_ERR_STORED_LEN = 21,           // stored block LEN and NLEN disagree
    PNG_ERR_STORED_PAST_END = 23,      // stored block runs past the data
    PNG_ERR_ZLIB_CHECK = 24,           // zlib header not a multiple of 31
    PNG_ERR_ZLIB_METHOD = 25,          // zlib method not 8, or window above 32 KiB
    PNG_ERR_ZLIB_DICTIONARY = 26,      // zlib preset dictionary
    PNG_ERR_TOO_SHORT = 27,            // fewer than 29 bytes
    PNG_ERR_SIGNATURE = 28,            // not the PNG signature
    PNG_ERR_IHDR = 29,                 // first chunk not an IHDR of 13 bytes
    PNG_ERR_NO_IEND = 30,              // chunk header past the end of the data
    PNG_ERR_COLOR_TYPE = 31,           // unknown colour type
    PNG_ERR_COMPRESSION = 32,          // compression method not 0
    PNG_ERR_FILTER_METHOD = 33,        // filter method not 0
    PNG_ERR_INTERLACE = 34,            // interlace method not 0 or 1
    PNG_ERR_CHUNK_PAST_END = 35,       // chunk data runs past the data
    PNG_ERR_FILTER_TYPE = 36,          // scanline filter type above 4
    PNG_ERR_BIT_DEPTH = 37,            // depth not allowed for the colour type
    PNG_ERR_PLTE_SIZE = 38,            // more than 256 palette entries
    PNG_ERR_TRNS_PALETTE = 39,         // more alpha values than palette entries
    PNG_ERR_TRNS_GREY = 40,            // grey tRNS not 2 bytes
    PNG_ERR_TRNS_RGB = 41,             // RGB tRNS not 6 bytes
    PNG_ERR_TRNS_ALPHA = 42,           // tRNS on an image with alpha
    PNG_ERR_PALETTE_INDEX = 46,        // 8-bit index beyond the palette
    PNG_ERR_PALETTE_INDEX_LOW = 47,    // 1-, 2-, 4-bit index beyond the palette
    PNG_ERR_EMPTY = 48,                // no input
    PNG_ERR_DYNAMIC_HEADER = 49,       // data ends in a dynamic block header
    PNG_ERR_REPEAT_BITS = 50,          // data ends in a repeat's extra bits
    PNG_ERR_EXTRA_BITS = 51,           // data ends in length or distance bits
    PNG_ERR_BLOCK_HEADER = 52,         // data ends in a block header
    PNG_ERR_ZLIB_SHORT = 53,           // image data under 2 bytes
    PNG_ERR_HUFFMAN_TREE = 55,         // code lengths form no valid code
    PNG_ERR_CHUNK_LENGTH = 63,         // chunk length above 2^31 - 1
    PNG_ERR_NO_END_CODE = 64,          // no code for end-of-block
    PNG_ERR_CRITICAL_CHUNK = 69,       // unknown critical chunk
    PNG_ERR_IMAGE_SIZE = 70,           // zero side, side or pixel count above the limits
    PNG_ERR_DATA_SHORT = 71,           // image data shorter than its rows need
};

// Decodes the PNG in data[0..size) into out: width x height pixels of
// R, G, B, A bytes, rows from the top down. 16-bit samples keep their high
// byte; palette, grey and colour-key transparency become RGBA. width and
// height are set from the header once it is read. Returns 0 on success;
// on failure out holds no meaningful pixels.
unsigned decode_png(std::vector<uint8_t> &out, unsigned &width, unsigned &height, const uint8_t *data,
                    size_t size);
