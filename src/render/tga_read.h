// The TGA reader: colour-mapped, true-colour and grey images, plain and
// run-length encoded, as pixel buffers ready for texture upload.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Pixel layout of a read image; the value is also the component count.
// The texture upload maps these to GL_LUMINANCE, GL_LUMINANCE_ALPHA,
// GL_RGB and GL_RGBA.
enum TgaFormat {
    TGA_FORMAT_LUMINANCE = 1,
    TGA_FORMAT_LUMINANCE_ALPHA = 2,
    TGA_FORMAT_RGB = 3,
    TGA_FORMAT_RGBA = 4,
};

// Largest pixel count a TGA texture may have (8192 x 8192).
constexpr uint64_t TGA_MAX_PIXELS = 64ull * 1024 * 1024;

struct TgaImage {
    uint32_t width = 0, height = 0;  // from the header, set even when refused
    uint32_t bits = 0;               // header pixel depth, set on success
    TgaFormat format = TGA_FORMAT_RGB;
    unsigned components = 0;         // 1 to 4
    std::vector<uint8_t> pixels;     // components x width x height, file order
};

enum TgaStatus {
    TGA_OK = 0,
    TGA_ERR_OPEN,           // the file cannot be read
    TGA_ERR_SHORT_HEADER,   // shorter than the 18-byte header
    TGA_ERR_UNKNOWN_TYPE,   // image type not 1, 2, 3, 9, 10, 11
    TGA_ERR_NOT_POWER_OF_TWO,
    TGA_ERR_TOO_LARGE,      // more than TGA_MAX_PIXELS
    TGA_ERR_DEPTH,          // pixel depth the type cannot have
    TGA_ERR_NO_COLOUR_MAP,  // colour-mapped type without a map
    TGA_ERR_COLOUR_MAP,     // map of negative length or unknown entry size
    TGA_ERR_INDEX,          // pixel index beyond the colour map
    TGA_ERR_TRUNCATED,      // file ends before the image does
};

// Short English text for a status, for messages.
const char *tga_status_text(int status);

// Decodes the TGA file held in data[0..size) into image. Returns a
// TgaStatus; prints nothing. The image must be square with a power-of-two
// side; this and the file's length are checked before pixels are reserved.
int tga_decode(const uint8_t *data, size_t size, TgaImage *image);

// Reads and decodes the TGA file at path. Returns 0 on success, 1 on
// failure. A file that cannot be opened fails silently; a refused size
// prints "texture is not power of two %li %li\n", an unknown type
// "error: unknown TGA image type %i!\n", other faults a line naming the file.
int tga_read(const char *path, TgaImage *image);

// Blends every pixel of an RGBA image onto white and makes it opaque:
// c' = (255 x 255 - (255 - c) x a) >> 8 for red, green and blue, a' = 255.
// Images without alpha are left as they are.
void tga_blend_to_white(TgaImage *image);
