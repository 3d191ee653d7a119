#include "render/png_test_util.h"

#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <png.h>
#include <zlib.h>

namespace pngtest {

unsigned channels_of(int color_type)
{
    static const unsigned channels[7] = {1, 1, 3, 1, 2, 1, 4};   // by PNG colour type
    return color_type >= 0 && color_type < 7 ? channels[color_type] : 1;
}

static int palette_entries(const PngParams &params)
{
    return params.palette_size ? params.palette_size : 1 << params.bit_depth;
}

Samples make_samples(const PngParams &params, uint64_t seed)
{
    Samples s;
    s.channels = channels_of(params.color_type);
    Rng rng(seed);
    const uint32_t maxv = params.color_type == PNG_COLOR_TYPE_PALETTE ? palette_entries(params) - 1
                                                                      : (1u << params.bit_depth) - 1;
    const unsigned style = rng.below(4);
    s.v.resize((size_t)params.width * params.height * s.channels);
    size_t i = 0;
    uint32_t run_value = 0, run_left = 0;
    for (uint32_t y = 0; y < params.height; y++)
        for (uint32_t x = 0; x < params.width; x++)
            for (unsigned c = 0; c < s.channels; c++) {
                uint32_t v;
                switch (style) {
                case 0: v = (uint32_t)rng.next(); break;
                case 1: v = (x * 37 + y * 11 + c * 101) * (maxv / 255 + 1) + rng.below(3); break;
                case 2:
                    if (!run_left) {
                        run_value = (uint32_t)rng.next();
                        run_left = 1 + rng.below(40);
                    }
                    run_left--;
                    v = run_value;
                    break;
                default: v = ((x ^ y) * 7 + c * 50 + (rng.below(8) == 0 ? rng.below(256) : 0)) * (maxv / 255 + 1); break;
                }
                s.v[i++] = (uint16_t)(v % (maxv + 1));
            }
    // Make the colour key occur.
    if (params.color_key)
        for (size_t p = 0; p < s.v.size() / s.channels; p += 3)
            for (unsigned c = 0; c < s.channels; c++)
                s.v[p * s.channels + c] = params.key[c];
    return s;
}

static void quiet_warning(png_structp, png_const_charp) {}
static void throwing_error(png_structp png, png_const_charp)
{
    longjmp(png_jmpbuf(png), 1);
}

std::string write_png(const PngParams &params, const Samples &samples)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, throwing_error, quiet_warning);
    png_infop info = png_create_info_struct(png);
    const unsigned ch = samples.channels, depth = params.bit_depth;
    const size_t row_bytes = ((size_t)params.width * ch * depth + 7) / 8;
    std::vector<uint8_t> packed(row_bytes * params.height);
    std::vector<png_bytep> rows(params.height);
    for (uint32_t y = 0; y < params.height; y++) {
        rows[y] = packed.data() + y * row_bytes;
        for (uint32_t k = 0; k < params.width * ch; k++) {
            const uint16_t v = samples.v[(size_t)y * params.width * ch + k];
            if (depth == 16) {
                rows[y][2 * k] = (uint8_t)(v >> 8);
                rows[y][2 * k + 1] = (uint8_t)v;
            } else {
                const size_t bit = (size_t)k * depth;
                rows[y][bit / 8] |= (uint8_t)(v << (8 - depth - bit % 8));
            }
        }
    }
    std::vector<png_color> palette;
    std::vector<png_byte> alpha;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng refused to write");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t len) {
            static_cast<std::string *>(png_get_io_ptr(p))->append(reinterpret_cast<char *>(data), len);
        },
        [](png_structp) {});
    png_set_IHDR(png, info, params.width, params.height, depth, params.color_type,
                 params.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (params.filters >= 0)
        png_set_filter(png, 0, params.filters);
    if (params.level >= 0)
        png_set_compression_level(png, params.level);
    if (params.strategy >= 0)
        png_set_compression_strategy(png, params.strategy);
    if (params.idat_buffer)
        png_set_compression_buffer_size(png, params.idat_buffer);
    if (params.color_type == PNG_COLOR_TYPE_PALETTE) {
        const int n = palette_entries(params);
        Rng rng(n * 7 + params.width);
        for (int i = 0; i < n; i++)
            palette.push_back(png_color{(png_byte)rng.next(), (png_byte)rng.next(), (png_byte)rng.next()});
        png_set_PLTE(png, info, palette.data(), n);
        for (int i = 0; i < params.trns_count; i++)
            alpha.push_back((png_byte)rng.next());
        if (params.trns_count >= 0)
            png_set_tRNS(png, info, alpha.data(), params.trns_count, nullptr);
    } else if (params.color_key) {
        png_color_16 key{0, params.key[0], params.key[1], params.key[2], params.key[0]};
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool libpng_decode_rgba(const std::string &file, std::vector<uint8_t> &rgba, unsigned &width, unsigned &height)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, throwing_error, quiet_warning);
    png_infop info = png_create_info_struct(png);
    std::pair<const std::string *, size_t> src{&file, 0};  // the file and the bytes read
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, [](png_structp p, png_bytep data, png_size_t len) {
        auto *src = static_cast<std::pair<const std::string *, size_t> *>(png_get_io_ptr(p));
        if (src->first->size() - src->second < len)
            png_error(p, "read past end");
        memcpy(data, src->first->data() + src->second, len);
        src->second += len;
    });
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != (size_t)width * 4)
        png_error(png, "not RGBA after the transforms");
    rgba.assign((size_t)width * height * 4, 0);
    for (unsigned y = 0; y < height; y++)
        rows.push_back(rgba.data() + (size_t)y * width * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::string zlib_deflate_raw(const std::string &data, int level, int strategy)
{
    z_stream z = {};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, (uLong)data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    z.avail_in = (uInt)data.size();
    z.next_out = reinterpret_cast<Bytef *>(&out[0]);
    z.avail_out = (uInt)out.size();
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

bool zlib_inflate_raw(const std::string &stream, size_t max_out, std::string *out)
{
    z_stream z = {};
    if (inflateInit2(&z, -15) != Z_OK)
        throw std::runtime_error("inflateInit2");
    out->assign(max_out, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = (uInt)stream.size();
    z.next_out = reinterpret_cast<Bytef *>(&(*out)[0]);
    z.avail_out = (uInt)max_out;
    const int rc = inflate(&z, Z_FINISH);
    out->resize(z.total_out);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int b : values)
        s += (char)b;
    return s;
}

std::string be32(uint32_t v)
{
    return bytes({(int)(v >> 24), (int)(v >> 16 & 255), (int)(v >> 8 & 255), (int)(v & 255)});
}

std::string chunk(const char *type, const std::string &data)
{
    const std::string body = std::string(type, 4) + data;
    return be32((uint32_t)data.size()) + body +
           be32((uint32_t)crc32(0, reinterpret_cast<const Bytef *>(body.data()), (uInt)body.size()));
}

std::string png_head(uint32_t width, uint32_t height, int depth, int color_type, int interlace)
{
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR", be32(width) + be32(height) + bytes({depth, color_type, 0, 0, interlace}));
}

// compress2 at level 6 writes the same: header 78 9C, the raw stream, Adler-32.
std::string zlib_compress(const std::string &data)
{
    const uLong adler = adler32(1, reinterpret_cast<const Bytef *>(data.data()), (uInt)data.size());
    return "\x78\x9c" + zlib_deflate_raw(data, 6, Z_DEFAULT_STRATEGY) + be32((uint32_t)adler);
}

std::string png_from_scanlines(uint32_t width, uint32_t height, int depth, int color_type,
                               const std::string &scanlines, const std::string &extra_chunks, int interlace)
{
    return png_head(width, height, depth, color_type, interlace) + extra_chunks +
           chunk("IDAT", zlib_compress(scanlines)) + chunk("IEND", "");
}

} // namespace pngtest
