#include "render/deflate_test_util.h"

#include <stdexcept>

#include <zlib.h>

namespace deflatetest {

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
    int rc = inflate(&z, Z_FINISH);
    out->resize(z.total_out);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

void BitWriter::bits(uint32_t value, unsigned count)
{
    for (unsigned i = 0; i < count; i++) {
        acc_ |= ((value >> i) & 1u) << n_;
        if (++n_ == 8) {
            out_ += (char)acc_;
            acc_ = 0;
            n_ = 0;
        }
    }
}

void BitWriter::code(uint32_t code, unsigned len)
{
    for (unsigned i = len; i-- > 0;)
        bits((code >> i) & 1u, 1);
}

std::string BitWriter::finish()
{
    if (n_)
        out_ += (char)acc_;
    acc_ = 0;
    n_ = 0;
    return out_;
}

std::vector<uint32_t> canonical_codes(const std::vector<uint8_t> &lens)
{
    unsigned count[16] = {0};
    for (uint8_t l : lens)
        count[l]++;
    count[0] = 0;
    uint32_t next[16] = {0}, code = 0;
    for (int len = 1; len < 16; len++) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<uint32_t> codes(lens.size(), 0);
    for (size_t i = 0; i < lens.size(); i++)
        if (lens[i])
            codes[i] = next[lens[i]]++;
    return codes;
}

void dynamic_header(BitWriter &w, bool final, const std::vector<uint8_t> &lit, const std::vector<uint8_t> &dist)
{
    // Code-length code: symbols 0..12 four bits, 13..18 five bits (complete).
    std::vector<uint8_t> cl_lens(19);
    for (int i = 0; i < 19; i++)
        cl_lens[i] = i <= 12 ? 4 : 5;
    std::vector<uint32_t> cl_codes = canonical_codes(cl_lens);
    static const int ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    w.bits(final ? 1 : 0, 1);
    w.bits(2, 2);
    w.bits((uint32_t)lit.size() - 257, 5);
    w.bits((uint32_t)dist.size() - 1, 5);
    w.bits(19 - 4, 4);
    for (int i = 0; i < 19; i++)
        w.bits(cl_lens[ORDER[i]], 3);
    for (uint8_t l : lit)
        w.code(cl_codes[l], cl_lens[l]);
    for (uint8_t l : dist)
        w.code(cl_codes[l], cl_lens[l]);
}

} // namespace deflatetest
