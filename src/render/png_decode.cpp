// PNG decoding: header and chunk walk, zlib wrapper, scanline filters,
// Adam7 interlacing and the conversion of every colour type to RGBA.
#include "render/png_decode.h"

#include <cstring>

#include "render/inflate.h"

namespace {

struct PngInfo {
    uint32_t width = 0, height = 0;
    uint32_t color_type = 0, bit_depth = 0, compression_method = 0, filter_method = 0, interlace_method = 0;
    uint32_t key_r = 0, key_g = 0, key_b = 0;
    bool key_defined = false;
    unsigned palette_size = 0;
    uint8_t palette[256 * 4] = {0};
};

// One Adam7 pass, or the whole image when not interlaced.
struct Pass {
    uint32_t x0, y0, dx, dy;
    uint32_t w, h;     // pixels in the pass (0 when empty)
    size_t row_bytes;  // bytes of one row without its filter byte
};

const uint32_t ADAM7_X0[7] = {0, 4, 0, 2, 0, 1, 0};
const uint32_t ADAM7_Y0[7] = {0, 0, 4, 0, 2, 0, 1};
const uint32_t ADAM7_DX[7] = {8, 8, 4, 4, 2, 2, 1};
const uint32_t ADAM7_DY[7] = {8, 8, 8, 4, 4, 2, 2};

uint32_t read_be32(const uint8_t *p)
{
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}

unsigned channels_of(uint32_t color_type)
{
    switch (color_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

bool depth_allowed(uint32_t color_type, uint32_t depth)
{
    switch (color_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default: return depth == 8 || depth == 16;
    }
}

unsigned read_header(PngInfo &info, const uint8_t *data, size_t size)
{
    static const uint8_t SIGNATURE[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (size < 29)
        return PNG_ERR_TOO_SHORT;
    if (memcmp(data, SIGNATURE, 8) != 0)
        return PNG_ERR_SIGNATURE;
    if (memcmp(data + 12, "IHDR", 4) != 0 || read_be32(data + 8) != 13)
        return PNG_ERR_IHDR;
    info.width = read_be32(data + 16);
    info.height = read_be32(data + 20);
    info.bit_depth = data[24];
    info.color_type = data[25];
    info.compression_method = data[26];
    info.filter_method = data[27];
    info.interlace_method = data[28];
    if (info.compression_method != 0)
        return PNG_ERR_COMPRESSION;
    if (info.filter_method != 0)
        return PNG_ERR_FILTER_METHOD;
    if (info.interlace_method > 1)
        return PNG_ERR_INTERLACE;
    uint32_t ct = info.color_type;
    if (ct != 0 && ct != 2 && ct != 3 && ct != 4 && ct != 6)
        return PNG_ERR_COLOR_TYPE;
    if (!depth_allowed(ct, info.bit_depth))
        return PNG_ERR_BIT_DEPTH;
    return 0;
}

unsigned read_trns(PngInfo &info, const uint8_t *d, uint32_t len)
{
    switch (info.color_type) {
    case 3:
        if (len > info.palette_size)
            return PNG_ERR_TRNS_PALETTE;
        for (uint32_t i = 0; i < len; i++)
            info.palette[4 * i + 3] = d[i];
        return 0;
    case 0:
        if (len != 2)
            return PNG_ERR_TRNS_GREY;
        info.key_r = info.key_g = info.key_b = (d[0] << 8) | d[1];
        info.key_defined = true;
        return 0;
    case 2:
        if (len != 6)
            return PNG_ERR_TRNS_RGB;
        info.key_r = (d[0] << 8) | d[1];
        info.key_g = (d[2] << 8) | d[3];
        info.key_b = (d[4] << 8) | d[5];
        info.key_defined = true;
        return 0;
    default:
        return PNG_ERR_TRNS_ALPHA;
    }
}

// Walks the chunks after IHDR up to IEND, gathering the image data.
// Positions are 64-bit so that no length can wrap them.
unsigned read_chunks(PngInfo &info, const uint8_t *data, size_t size, std::vector<uint8_t> &idat_join,
                     const uint8_t **idat, size_t *idat_size)
{
    const uint8_t *first = nullptr;
    size_t first_size = 0;
    unsigned idat_count = 0;
    uint64_t pos = 33;
    for (;;) {
        if (pos + 8 >= size)
            return PNG_ERR_NO_IEND;
        uint64_t len = read_be32(data + pos);
        if (len > 2147483647u)
            return PNG_ERR_CHUNK_LENGTH;
        if (pos + 8 + len > size)
            return PNG_ERR_CHUNK_PAST_END;
        const uint8_t *type = data + pos + 4;
        const uint8_t *body = data + pos + 8;
        if (memcmp(type, "IDAT", 4) == 0) {
            // One IDAT chunk is used in place; several are joined.
            if (idat_count == 0) {
                first = body;
                first_size = len;
            } else {
                if (idat_count == 1)
                    idat_join.assign(first, first + first_size);
                idat_join.insert(idat_join.end(), body, body + len);
            }
            idat_count++;
        } else if (memcmp(type, "IEND", 4) == 0) {
            break;
        } else if (memcmp(type, "PLTE", 4) == 0) {
            uint64_t n = len / 3;
            if (n > 256)
                return PNG_ERR_PLTE_SIZE;
            info.palette_size = (unsigned)n;
            for (unsigned i = 0; i < n; i++) {
                info.palette[4 * i + 0] = body[3 * i + 0];
                info.palette[4 * i + 1] = body[3 * i + 1];
                info.palette[4 * i + 2] = body[3 * i + 2];
                info.palette[4 * i + 3] = 255;
            }
        } else if (memcmp(type, "tRNS", 4) == 0) {
            unsigned error = read_trns(info, body, (uint32_t)len);
            if (error)
                return error;
        } else if (!(type[0] & 0x20)) {
            return PNG_ERR_CRITICAL_CHUNK;
        }
        pos += 12 + len;
    }
    if (idat_count > 1) {
        *idat = idat_join.data();
        *idat_size = idat_join.size();
    } else {
        *idat = first;
        *idat_size = first_size;
    }
    return 0;
}

unsigned check_zlib_header(const uint8_t *z, size_t size)
{
    if (size < 2)
        return PNG_ERR_ZLIB_SHORT;
    if (((unsigned)z[0] * 256 + z[1]) % 31 != 0)
        return PNG_ERR_ZLIB_CHECK;
    if ((z[0] & 15) != 8 || (z[0] >> 4) > 7)
        return PNG_ERR_ZLIB_METHOD;
    if (z[1] & 0x20)
        return PNG_ERR_ZLIB_DICTIONARY;
    return 0;
}

// Fills passes[] and returns the number of filtered bytes they need.
uint64_t plan_passes(const PngInfo &info, unsigned bits_per_pixel, Pass passes[7], unsigned *count)
{
    uint64_t total = 0;
    unsigned n = info.interlace_method ? 7 : 1;
    for (unsigned i = 0; i < n; i++) {
        Pass &p = passes[i];
        if (info.interlace_method) {
            p.x0 = ADAM7_X0[i];
            p.y0 = ADAM7_Y0[i];
            p.dx = ADAM7_DX[i];
            p.dy = ADAM7_DY[i];
        } else {
            p.x0 = p.y0 = 0;
            p.dx = p.dy = 1;
        }
        p.w = info.width > p.x0 ? (info.width - p.x0 + p.dx - 1) / p.dx : 0;
        p.h = info.height > p.y0 ? (info.height - p.y0 + p.dy - 1) / p.dy : 0;
        if (p.w == 0 || p.h == 0) {
            p.w = p.h = 0;
            p.row_bytes = 0;
            continue;
        }
        p.row_bytes = (size_t)(((uint64_t)p.w * bits_per_pixel + 7) / 8);
        total += (uint64_t)p.h * (p.row_bytes + 1);
    }
    *count = n;
    return total;
}

inline uint8_t paeth(int a, int b, int c)
{
    int pa = b - c, pb = a - c, pc = a + b - 2 * c;
    pa = pa < 0 ? -pa : pa;
    pb = pb < 0 ? -pb : pb;
    pc = pc < 0 ? -pc : pc;
    if (pa <= pb && pa <= pc)
        return (uint8_t)a;
    return (uint8_t)(pb <= pc ? b : c);
}

// Undoes the filter of one scanline in place; prev is the unfiltered row
// above, or null for the first row of a pass.
void unfilter_row(uint8_t *cur, const uint8_t *prev, size_t n, size_t bpp, unsigned type)
{
    switch (type) {
    case 1:
        for (size_t i = bpp; i < n; i++)
            cur[i] = (uint8_t)(cur[i] + cur[i - bpp]);
        break;
    case 2:
        if (prev)
            for (size_t i = 0; i < n; i++)
                cur[i] = (uint8_t)(cur[i] + prev[i]);
        break;
    case 3:
        if (prev) {
            for (size_t i = 0; i < bpp && i < n; i++)
                cur[i] = (uint8_t)(cur[i] + (prev[i] >> 1));
            for (size_t i = bpp; i < n; i++)
                cur[i] = (uint8_t)(cur[i] + ((cur[i - bpp] + prev[i]) >> 1));
        } else {
            for (size_t i = bpp; i < n; i++)
                cur[i] = (uint8_t)(cur[i] + (cur[i - bpp] >> 1));
        }
        break;
    case 4:
        if (prev) {
            for (size_t i = 0; i < bpp && i < n; i++)
                cur[i] = (uint8_t)(cur[i] + prev[i]);
            for (size_t i = bpp; i < n; i++)
                cur[i] = (uint8_t)(cur[i] + paeth(cur[i - bpp], prev[i], prev[i - bpp]));
        } else {
            for (size_t i = bpp; i < n; i++)
                cur[i] = (uint8_t)(cur[i] + cur[i - bpp]);
        }
        break;
    default:
        break;
    }
}

inline uint8_t key_alpha(const PngInfo &info, uint32_t r, uint32_t g, uint32_t b)
{
    return (info.key_defined && r == info.key_r && g == info.key_g && b == info.key_b) ? 0 : 255;
}

// Converts n pixels of one unfiltered row to RGBA at dst, step bytes apart.
unsigned convert_row(const PngInfo &info, const uint8_t *src, uint32_t n, uint8_t *dst, size_t step)
{
    const uint32_t depth = info.bit_depth;
    switch (info.color_type * 100 + depth) {
    case 608:
        if (step == 4)
            memcpy(dst, src, (size_t)n * 4);
        else
            for (uint32_t i = 0; i < n; i++, src += 4, dst += step)
                memcpy(dst, src, 4);
        return 0;
    case 616:
        for (uint32_t i = 0; i < n; i++, src += 8, dst += step) {
            dst[0] = src[0];
            dst[1] = src[2];
            dst[2] = src[4];
            dst[3] = src[6];
        }
        return 0;
    case 208:
        for (uint32_t i = 0; i < n; i++, src += 3, dst += step) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = key_alpha(info, src[0], src[1], src[2]);
        }
        return 0;
    case 216:
        for (uint32_t i = 0; i < n; i++, src += 6, dst += step) {
            dst[0] = src[0];
            dst[1] = src[2];
            dst[2] = src[4];
            dst[3] = key_alpha(info, (src[0] << 8) | src[1], (src[2] << 8) | src[3], (src[4] << 8) | src[5]);
        }
        return 0;
    case 408:
        for (uint32_t i = 0; i < n; i++, src += 2, dst += step) {
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = src[1];
        }
        return 0;
    case 416:
        for (uint32_t i = 0; i < n; i++, src += 4, dst += step) {
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = src[2];
        }
        return 0;
    case 8:
        for (uint32_t i = 0; i < n; i++, src += 1, dst += step) {
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = key_alpha(info, src[0], src[0], src[0]);
        }
        return 0;
    case 16:
        for (uint32_t i = 0; i < n; i++, src += 2, dst += step) {
            uint32_t v = (src[0] << 8) | src[1];
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = key_alpha(info, v, v, v);
        }
        return 0;
    case 308:
        for (uint32_t i = 0; i < n; i++, src += 1, dst += step) {
            if (src[0] >= info.palette_size)
                return PNG_ERR_PALETTE_INDEX;
            memcpy(dst, info.palette + 4 * src[0], 4);
        }
        return 0;
    default:
        break;
    }
    // Depths 1, 2, 4: grey or palette, most significant bits first.
    const uint32_t mask = (1u << depth) - 1;
    const uint32_t scale = 255 / mask;
    for (uint32_t i = 0; i < n; i++, dst += step) {
        uint64_t bit = (uint64_t)i * depth;
        uint32_t v = (src[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
        if (info.color_type == 3) {
            if (v >= info.palette_size)
                return PNG_ERR_PALETTE_INDEX_LOW;
            memcpy(dst, info.palette + 4 * v, 4);
        } else {
            dst[0] = dst[1] = dst[2] = (uint8_t)(v * scale);
            dst[3] = key_alpha(info, v, v, v);
        }
    }
    return 0;
}

} // namespace

unsigned decode_png(std::vector<uint8_t> &out, unsigned &width, unsigned &height, const uint8_t *data,
                    size_t size)
{
    out.clear();
    if (!data || size == 0)
        return PNG_ERR_EMPTY;
    PngInfo info;
    unsigned error = read_header(info, data, size);
    if (error)
        return error;
    width = info.width;
    height = info.height;
    if (info.width == 0 || info.height == 0 || info.width > PNG_MAX_SIDE || info.height > PNG_MAX_SIDE ||
        (uint64_t)info.width * info.height > PNG_MAX_PIXELS)
        return PNG_ERR_IMAGE_SIZE;

    std::vector<uint8_t> idat_join;
    const uint8_t *z = nullptr;
    size_t z_size = 0;
    error = read_chunks(info, data, size, idat_join, &z, &z_size);
    if (error)
        return error;
    error = check_zlib_header(z, z_size);
    if (error)
        return error;

    const unsigned bits_per_pixel = channels_of(info.color_type) * info.bit_depth;
    Pass passes[7];
    unsigned pass_count = 0;
    const uint64_t needed = plan_passes(info, bits_per_pixel, passes, &pass_count);

    // Inflate no further than the image needs: extra data is ignored, and a
    // tiny file cannot make a large buffer.
    InflateOutput raw;
    error = inflate_raw_buffer(&raw, z + 2, z_size - 2, (size_t)needed);
    if (error && error != INFLATE_OUTPUT_LIMIT)
        return error;
    if (raw.size < needed)
        return PNG_ERR_DATA_SHORT;

    out.resize((size_t)info.width * info.height * 4);
    const size_t bpp = (bits_per_pixel + 7) / 8;
    uint8_t *p = raw.data;
    for (unsigned i = 0; i < pass_count; i++) {
        const Pass &pass = passes[i];
        const uint8_t *prev = nullptr;
        for (uint32_t y = 0; y < pass.h; y++) {
            unsigned filter = p[0];
            if (filter > 4)
                return PNG_ERR_FILTER_TYPE;
            uint8_t *row = p + 1;
            unfilter_row(row, prev, pass.row_bytes, bpp, filter);
            size_t out_y = (size_t)pass.y0 + (size_t)y * pass.dy;
            uint8_t *dst = out.data() + (out_y * info.width + pass.x0) * 4;
            error = convert_row(info, row, pass.w, dst, (size_t)pass.dx * 4);
            if (error)
                return error;
            prev = row;
            p = row + pass.row_bytes;
        }
    }
    return PNG_OK;
}
