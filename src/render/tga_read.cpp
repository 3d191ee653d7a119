#include "render/tga_read.h"

#include <cstdio>
#include <cstring>

#include "render/image_file.h"

namespace {

// Converts a 16-bit 5-5-5 word (low byte first in the file) to R, G, B.
inline void rgb_from_555(const uint8_t *src, uint8_t *dst)
{
    unsigned word = src[0] | (src[1] << 8);
    dst[0] = (uint8_t)((word >> 7) & 0xF8);
    dst[1] = (uint8_t)((word >> 2) & 0xF8);
    dst[2] = (uint8_t)((word << 3) & 0xFF);
}

struct TgaReader {
    const uint8_t *pos;
    const uint8_t *end;
    unsigned type;        // 1, 2 or 3: the run-length forms share the plain reader
    unsigned depth;
    unsigned pixel_bytes; // bytes of one pixel in the file
    unsigned components;  // bytes of one pixel in the image
    uint8_t map[256 * 3]; // colour map as R, G, B
    unsigned map_entries; // usable entries (at most 256)

    // Converts one file pixel at src to dst.
    int pixel(const uint8_t *src, uint8_t *dst) const
    {
        switch (type) {
        case 1:
            if (src[0] >= map_entries)
                return TGA_ERR_INDEX;
            memcpy(dst, map + 3 * src[0], 3);
            return 0;
        case 2:
            if (depth == 16) {
                rgb_from_555(src, dst);
            } else {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                if (depth == 32)
                    dst[3] = src[3];
            }
            return 0;
        default:
            memcpy(dst, src, components);
            return 0;
        }
    }

    int read_plain(uint8_t *out, uint64_t count)
    {
        if ((uint64_t)(end - pos) < count * pixel_bytes)
            return TGA_ERR_TRUNCATED;
        for (uint64_t i = 0; i < count; i++, pos += pixel_bytes, out += components) {
            int status = pixel(pos, out);
            if (status)
                return status;
        }
        return 0;
    }

    // Packets of up to 128 pixels; a run may cross row ends, and one that
    // reaches past the image is cut at its end.
    int read_rle(uint8_t *out, uint64_t count)
    {
        uint64_t done = 0;
        while (done < count) {
            if (pos >= end)
                return TGA_ERR_TRUNCATED;
            unsigned header = *pos++;
            uint64_t n = (header & 0x7F) + 1;
            if (n > count - done)
                n = count - done;
            uint8_t *dst = out + done * components;
            if (header & 0x80) {
                if ((size_t)(end - pos) < pixel_bytes)
                    return TGA_ERR_TRUNCATED;
                int status = pixel(pos, dst);
                if (status)
                    return status;
                pos += pixel_bytes;
                for (uint64_t i = 1; i < n; i++)
                    memcpy(dst + i * components, dst, components);
            } else {
                int status = read_plain(dst, n);
                if (status)
                    return status;
            }
            done += n;
        }
        return 0;
    }
};

bool is_power_of_two(uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

} // namespace

const char *tga_status_text(int status)
{
    switch (status) {
    case TGA_OK: return "no error";
    case TGA_ERR_OPEN: return "cannot be read";
    case TGA_ERR_SHORT_HEADER: return "shorter than its header";
    case TGA_ERR_UNKNOWN_TYPE: return "unknown image type";
    case TGA_ERR_NOT_POWER_OF_TWO: return "not square with a power-of-two side";
    case TGA_ERR_TOO_LARGE: return "image too large";
    case TGA_ERR_DEPTH: return "unsupported pixel depth";
    case TGA_ERR_NO_COLOUR_MAP: return "colour-mapped image without a colour map";
    case TGA_ERR_COLOUR_MAP: return "unsupported colour map";
    case TGA_ERR_INDEX: return "colour index beyond the colour map";
    case TGA_ERR_TRUNCATED: return "file ends before the image";
    default: return "unknown error";
    }
}

int tga_decode(const uint8_t *data, size_t size, TgaImage *image)
{
    image->width = image->height = 0;
    image->bits = 0;
    image->components = 0;
    image->pixels.clear();
    if (!data || size < 18)
        return TGA_ERR_SHORT_HEADER;

    const unsigned id_length = data[0];
    const unsigned map_type = data[1];
    const unsigned image_type = data[2];
    const int map_length = (int16_t)(uint16_t)(data[5] | (data[6] << 8));
    const unsigned map_entry_bits = data[7];
    const uint32_t width = data[12] | (data[13] << 8);
    const uint32_t height = data[14] | (data[15] << 8);
    const unsigned depth = data[16];

    const bool rle = image_type >= 9;
    const unsigned base_type = rle ? image_type - 8 : image_type;
    if (base_type < 1 || base_type > 3 || (image_type > 3 && !rle) || image_type > 11)
        return TGA_ERR_UNKNOWN_TYPE;
    if (base_type == 3) {
        image->format = depth == 8 ? TGA_FORMAT_LUMINANCE : TGA_FORMAT_LUMINANCE_ALPHA;
    } else {
        image->format = depth < 25 ? TGA_FORMAT_RGB : TGA_FORMAT_RGBA;
    }
    image->components = (unsigned)image->format;
    image->width = width;
    image->height = height;

    if (!is_power_of_two(width) || height != width)
        return TGA_ERR_NOT_POWER_OF_TWO;
    const uint64_t pixel_count = (uint64_t)width * height;
    if (pixel_count > TGA_MAX_PIXELS)
        return TGA_ERR_TOO_LARGE;

    TgaReader reader;
    reader.type = base_type;
    reader.depth = depth;
    reader.components = image->components;
    reader.map_entries = 0;
    switch (base_type) {
    case 1:
        if (depth != 8)
            return TGA_ERR_DEPTH;
        reader.pixel_bytes = 1;
        break;
    case 2:
        if (depth != 16 && depth != 24 && depth != 32)
            return TGA_ERR_DEPTH;
        reader.pixel_bytes = depth / 8;
        break;
    default:
        if (depth != 8 && depth != 16)
            return TGA_ERR_DEPTH;
        reader.pixel_bytes = depth / 8;
        break;
    }

    const uint8_t *pos = data + 18;
    const uint8_t *end = data + size;
    if ((size_t)(end - pos) < id_length)
        return TGA_ERR_TRUNCATED;
    pos += id_length;

    if (map_type != 0) {
        if (map_length < 0)
            return TGA_ERR_COLOUR_MAP;
        const unsigned entry_bytes = map_entry_bits >> 3;
        const size_t map_bytes = (size_t)entry_bytes * (size_t)map_length;
        if ((size_t)(end - pos) < map_bytes)
            return TGA_ERR_TRUNCATED;
        if (base_type == 1) {
            if (map_entry_bits != 15 && map_entry_bits != 16 && map_entry_bits != 24 && map_entry_bits != 32)
                return TGA_ERR_COLOUR_MAP;
            reader.map_entries = map_length > 256 ? 256 : (unsigned)map_length;
            for (unsigned i = 0; i < reader.map_entries; i++) {
                const uint8_t *e = pos + (size_t)i * entry_bytes;
                uint8_t *rgb = reader.map + 3 * i;
                if (entry_bytes == 2) {
                    rgb_from_555(e, rgb);
                } else {
                    rgb[0] = e[2];
                    rgb[1] = e[1];
                    rgb[2] = e[0];
                }
            }
        }
        pos += map_bytes;
    }
    if (base_type == 1 && reader.map_entries == 0)
        return TGA_ERR_NO_COLOUR_MAP;

    // The file must be able to hold the pixels before they are reserved:
    // every pixel in a plain image, and at least one packet per 128 pixels
    // in a run-length one.
    const uint64_t remaining = (uint64_t)(end - pos);
    const uint64_t least = rle ? (pixel_count + 127) / 128 * (1 + reader.pixel_bytes)
                               : pixel_count * reader.pixel_bytes;
    if (remaining < least)
        return TGA_ERR_TRUNCATED;

    image->pixels.resize((size_t)pixel_count * image->components);
    reader.pos = pos;
    reader.end = end;
    int status = rle ? reader.read_rle(image->pixels.data(), pixel_count)
                     : reader.read_plain(image->pixels.data(), pixel_count);
    if (status) {
        image->pixels.clear();
        return status;
    }
    image->bits = depth;
    return TGA_OK;
}

int tga_read(const char *path, TgaImage *image)
{
    std::vector<uint8_t> file;
    if (load_file_to_buffer(file, path) != 0) {
        *image = TgaImage();
        return 1;
    }
    int status = tga_decode(file.data(), file.size(), image);
    switch (status) {
    case TGA_OK:
        return 0;
    case TGA_ERR_NOT_POWER_OF_TWO:
        fprintf(stderr, "texture is not power of two %li %li\n", (long)image->width, (long)image->height);
        return 1;
    case TGA_ERR_UNKNOWN_TYPE:
        fprintf(stderr, "error: unknown TGA image type %i!\n", (int)file[2]);
        return 1;
    default:
        fprintf(stderr, "error: TGA file %s: %s\n", path, tga_status_text(status));
        return 1;
    }
}

void tga_blend_to_white(TgaImage *image)
{
    if (image->components != 4)
        return;
    uint8_t *p = image->pixels.data();
    const size_t n = image->pixels.size() / 4;
    for (size_t i = 0; i < n; i++, p += 4) {
        uint32_t a = p[3];
        for (int c = 0; c < 3; c++)
            p[c] = (uint8_t)((65025u - (255u - p[c]) * a) >> 8);
        p[3] = 255;
    }
}
