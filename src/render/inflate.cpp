// Raw deflate decoder. Huffman codes are decoded through two-level lookup
// tables (a root table indexed by the next bits of the stream, with
// subtables for the rare longer codes); bits are taken least significant
// first from a 64-bit buffer that is refilled eight bytes at a time.
#include "render/inflate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr unsigned LIT_ROOT = 10;
constexpr unsigned DIST_ROOT = 8;
constexpr unsigned CODELEN_ROOT = 7;
// Root table plus room for every subtable a valid code can need.
constexpr size_t LIT_TABLE_SIZE = 4096;
constexpr size_t DIST_TABLE_SIZE = 2048;
constexpr size_t CODELEN_TABLE_SIZE = 128;

// Table entry: bits 0-3 code length (0: no symbol), bit 4 set when the
// entry points to a subtable, bits 8-11 the subtable's index bits,
// bits 16-31 the symbol or the subtable's offset.
constexpr uint32_t ENTRY_SUBTABLE = 0x10;

const uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t DIST_BASE[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t DIST_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t CODELEN_ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

enum CodeKind { CODE_LENGTHS, CODE_LITLEN, CODE_DIST };

unsigned reverse_bits(unsigned code, unsigned len)
{
    unsigned r = 0;
    for (unsigned i = 0; i < len; i++) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

// Builds the lookup table of the canonical code given by lens[0..n) (each
// 0..15). Over-subscribed sets are refused; incomplete ones only where
// zlib accepts them: no code at all, or a single code of one bit for the
// literal/length and distance codes. Unused bit patterns read as no symbol.
unsigned build_table(uint32_t *table, size_t cap, unsigned root, const uint8_t *lens, unsigned n, CodeKind kind)
{
    unsigned count[16] = {0};
    for (unsigned i = 0; i < n; i++)
        count[lens[i]]++;
    count[0] = 0;
    int left = 1;
    for (unsigned len = 1; len <= 15; len++) {
        left <<= 1;
        left -= (int)count[len];
        if (left < 0)
            return 55;
    }
    unsigned max_len = 0;
    for (unsigned len = 15; len >= 1; len--)
        if (count[len]) {
            max_len = len;
            break;
        }
    if (left > 0 && max_len != 0 && (kind == CODE_LENGTHS || max_len != 1))
        return 55;

    unsigned first[16];
    unsigned code = 0;
    for (unsigned len = 1; len <= 15; len++) {
        code = (code + count[len - 1]) << 1;
        first[len] = code;
    }
    const size_t primary = (size_t)1 << root;
    std::fill(table, table + primary, 0u);

    // Size each subtable by the longest code under its root prefix.
    uint8_t sub_bits[1u << LIT_ROOT] = {0};
    unsigned next[16];
    memcpy(next, first, sizeof next);
    for (unsigned sym = 0; sym < n; sym++) {
        unsigned len = lens[sym];
        if (len <= root)
            continue;
        unsigned rev = reverse_bits(next[len]++, len);
        unsigned p = rev & (unsigned)(primary - 1);
        sub_bits[p] = (uint8_t)std::max<unsigned>(sub_bits[p], len - root);
    }
    size_t used = primary;
    for (size_t p = 0; p < primary; p++) {
        if (!sub_bits[p])
            continue;
        size_t sub_size = (size_t)1 << sub_bits[p];
        if (used + sub_size > cap)
            return 55;
        table[p] = ENTRY_SUBTABLE | ((uint32_t)sub_bits[p] << 8) | ((uint32_t)used << 16);
        std::fill(table + used, table + used + sub_size, 0u);
        used += sub_size;
    }

    memcpy(next, first, sizeof next);
    for (unsigned sym = 0; sym < n; sym++) {
        unsigned len = lens[sym];
        if (!len)
            continue;
        unsigned rev = reverse_bits(next[len]++, len);
        uint32_t entry = len | (sym << 16);
        if (len <= root) {
            for (size_t i = rev; i < primary; i += (size_t)1 << len)
                table[i] = entry;
        } else {
            uint32_t link = table[rev & (primary - 1)];
            size_t sub_size = (size_t)1 << ((link >> 8) & 15);
            size_t offset = link >> 16;
            for (size_t i = rev >> root; i < sub_size; i += (size_t)1 << (len - root))
                table[offset + i] = entry;
        }
    }
    return 0;
}

inline uint32_t lookup(const uint32_t *table, unsigned root, uint64_t bits)
{
    uint32_t e = table[bits & ((1u << root) - 1)];
    if (e & ENTRY_SUBTABLE)
        e = table[(e >> 16) + ((bits >> root) & ((1u << ((e >> 8) & 15)) - 1))];
    return e;
}

struct Tables {
    uint32_t lit[LIT_TABLE_SIZE];
    uint32_t dist[DIST_TABLE_SIZE];
    uint32_t codelen[CODELEN_TABLE_SIZE];
};

class Inflater {
public:
    Inflater(const uint8_t *data, size_t size, size_t max_out) : in_(data), end_(data + size), max_out_(max_out)
    {
        // Deflate expands at most 1032:1 (a 258-byte copy in two bits), so
        // this much is enough for any stream of this size; pages that are
        // never written are never touched.
        size_t bound = size > (SIZE_MAX - 4096) / 1032 ? SIZE_MAX : size * 1032 + 4096;
        cap_ = std::min(max_out, bound);
        buf_ = static_cast<uint8_t *>(malloc(cap_ ? cap_ : 1));
        if (!buf_)
            cap_ = 0;
    }
    ~Inflater() { free(buf_); }
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;

    // Hands the output over; the caller frees it.
    uint8_t *release(size_t *size)
    {
        uint8_t *p = buf_;
        *size = pos_;
        buf_ = nullptr;
        cap_ = pos_ = 0;
        return p;
    }

    unsigned run();

private:
    void refill()
    {
        if (end_ - in_ >= 8) {
            uint64_t w;
            memcpy(&w, in_, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            w = __builtin_bswap64(w);
#endif
            bits_ |= w << count_;
            in_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            while (count_ <= 56 && in_ < end_) {
                bits_ |= (uint64_t)*in_++ << count_;
                count_ += 8;
            }
        }
    }
    void drop(unsigned n)
    {
        bits_ >>= n;
        count_ -= n;
    }
    // Takes n bits (n <= 32) or returns false when the data ends first.
    bool take(unsigned n, unsigned *value)
    {
        if (count_ < n) {
            refill();
            if (count_ < n)
                return false;
        }
        *value = (unsigned)(bits_ & ((1ull << n) - 1));
        drop(n);
        return true;
    }
    // Makes room for n more bytes; false when max_out is reached first.
    bool room(size_t n)
    {
        if (n <= cap_ - pos_)
            return true;
        if (cap_ >= max_out_ || pos_ + n < pos_)
            return false;
        size_t want = std::max(cap_ * 2, std::max<size_t>(pos_ + n, 4096));
        want = std::min(want, max_out_);
        uint8_t *grown = static_cast<uint8_t *>(realloc(buf_, want));
        if (!grown)
            return false;
        buf_ = grown;
        cap_ = want;
        return n <= cap_ - pos_;
    }

    unsigned stored_block();
    unsigned fixed_tables();
    unsigned dynamic_tables();
    unsigned huffman_block();

    const uint8_t *in_;
    const uint8_t *end_;
    size_t max_out_;
    uint8_t *buf_ = nullptr;
    size_t cap_ = 0;
    size_t pos_ = 0;
    uint64_t bits_ = 0;
    unsigned count_ = 0;
    std::unique_ptr<Tables> tables_ = std::make_unique<Tables>();
};

unsigned Inflater::run()
{
    unsigned error = 0;
    for (;;) {
        unsigned header;
        if (!take(3, &header)) {
            error = 52;
            break;
        }
        unsigned type = header >> 1;
        if (type == 0)
            error = stored_block();
        else if (type == 3)
            error = 20;
        else {
            error = type == 1 ? fixed_tables() : dynamic_tables();
            if (!error)
                error = huffman_block();
        }
        if (error || (header & 1))
            break;
    }
    return error;
}

unsigned Inflater::stored_block()
{
    // Back to the byte boundary: whole bytes still in the bit buffer are
    // handed back to the input.
    drop(count_ & 7);
    in_ -= count_ >> 3;
    bits_ = 0;
    count_ = 0;
    if (end_ - in_ < 4)
        return 52;
    unsigned len = in_[0] | (in_[1] << 8);
    unsigned nlen = in_[2] | (in_[3] << 8);
    if (len + nlen != 65535)
        return 21;
    in_ += 4;
    if ((size_t)(end_ - in_) < len)
        return 23;
    size_t n = len;
    bool full = !room(n);
    if (full)
        n = cap_ - pos_;
    memcpy(buf_ + pos_, in_, n);
    pos_ += n;
    in_ += len;
    return full ? (unsigned)INFLATE_OUTPUT_LIMIT : 0u;
}

unsigned Inflater::fixed_tables()
{
    uint8_t lens[288];
    std::fill(lens, lens + 144, 8);
    std::fill(lens + 144, lens + 256, 9);
    std::fill(lens + 256, lens + 280, 7);
    std::fill(lens + 280, lens + 288, 8);
    if (build_table(tables_->lit, LIT_TABLE_SIZE, LIT_ROOT, lens, 288, CODE_LITLEN))
        return 55;
    // All 32 five-bit distance patterns; 30 and 31 are refused when met.
    std::fill(lens, lens + 32, 5);
    return build_table(tables_->dist, DIST_TABLE_SIZE, DIST_ROOT, lens, 32, CODE_DIST) ? 55 : 0;
}

unsigned Inflater::dynamic_tables()
{
    unsigned hlit, hdist, hclen;
    if (!take(5, &hlit) || !take(5, &hdist) || !take(4, &hclen))
        return 49;
    hlit += 257;
    hdist += 1;
    hclen += 4;
    if (hlit > 286 || hdist > 30)
        return 55;
    uint8_t cl_lens[19] = {0};
    for (unsigned i = 0; i < hclen; i++) {
        unsigned v;
        if (!take(3, &v))
            return 49;
        cl_lens[CODELEN_ORDER[i]] = (uint8_t)v;
    }
    if (build_table(tables_->codelen, CODELEN_TABLE_SIZE, CODELEN_ROOT, cl_lens, 19, CODE_LENGTHS))
        return 55;

    uint8_t lens[286 + 30] = {0};
    const unsigned total = hlit + hdist;
    unsigned i = 0;
    while (i < total) {
        if (count_ < 7)
            refill();
        uint32_t e = lookup(tables_->codelen, CODELEN_ROOT, bits_);
        unsigned len = e & 15;
        if (len == 0)
            return 11;
        if (len > count_)
            return 49;
        drop(len);
        unsigned sym = e >> 16;
        if (sym < 16) {
            lens[i++] = (uint8_t)sym;
            continue;
        }
        unsigned extra, repeat;
        uint8_t value = 0;
        if (sym == 16) {
            if (i == 0)
                return 13;
            value = lens[i - 1];
            if (!take(2, &extra))
                return 50;
            repeat = 3 + extra;
        } else if (sym == 17) {
            if (!take(3, &extra))
                return 50;
            repeat = 3 + extra;
        } else if (sym == 18) {
            if (!take(7, &extra))
                return 50;
            repeat = 11 + extra;
        } else {
            return 16;
        }
        if (repeat > total - i)
            return sym == 16 ? 13 : sym == 17 ? 14 : 15;
        memset(lens + i, value, repeat);
        i += repeat;
    }
    if (lens[256] == 0)
        return 64;
    if (build_table(tables_->lit, LIT_TABLE_SIZE, LIT_ROOT, lens, hlit, CODE_LITLEN))
        return 55;
    if (build_table(tables_->dist, DIST_TABLE_SIZE, DIST_ROOT, lens + hlit, hdist, CODE_DIST))
        return 55;
    return 0;
}

unsigned Inflater::huffman_block()
{
    const uint32_t *lit = tables_->lit;
    const uint32_t *dist_table = tables_->dist;
    for (;;) {
        if (count_ < 48)
            refill();
        uint32_t e = lookup(lit, LIT_ROOT, bits_);
        unsigned len = e & 15;
        if (len == 0)
            return 11;
        if (len > count_)
            return 10;
        drop(len);
        unsigned sym = e >> 16;
        if (sym < 256) {
            if (pos_ == cap_ && !room(1))
                return INFLATE_OUTPUT_LIMIT;
            buf_[pos_++] = (uint8_t)sym;
            continue;
        }
        if (sym == 256)
            return 0;
        sym -= 257;
        if (sym >= 29)
            return 11;
        size_t length = LENGTH_BASE[sym];
        unsigned extra = LENGTH_EXTRA[sym];
        if (extra) {
            if (count_ < extra) {
                refill();
                if (count_ < extra)
                    return 51;
            }
            length += bits_ & ((1u << extra) - 1);
            drop(extra);
        }

        if (count_ < 28)
            refill();
        e = lookup(dist_table, DIST_ROOT, bits_);
        len = e & 15;
        if (len == 0)
            return 18;
        if (len > count_)
            return 10;
        drop(len);
        unsigned dsym = e >> 16;
        if (dsym >= 30)
            return 18;
        size_t dist = DIST_BASE[dsym];
        extra = DIST_EXTRA[dsym];
        if (extra) {
            if (count_ < extra)
                return 51;
            dist += bits_ & ((1u << extra) - 1);
            drop(extra);
        }
        if (dist > pos_)
            return 18;

        bool full = false;
        if (length > cap_ - pos_ && !room(length)) {
            length = cap_ - pos_;
            full = true;
        }
        uint8_t *dst = buf_ + pos_;
        const uint8_t *src = dst - dist;
        pos_ += length;
        if (dist >= 8 && length + 8 <= cap_ - (pos_ - length)) {
            // Eight bytes at a time: each chunk's source lies wholly before
            // its destination, so overlapping runs still repeat correctly.
            uint8_t *stop = dst + length;
            do {
                memcpy(dst, src, 8);
                dst += 8;
                src += 8;
            } while (dst < stop);
        } else if (dist == 1) {
            memset(dst, *src, length);
        } else {
            for (size_t k = 0; k < length; k++)
                dst[k] = src[k];
        }
        if (full)
            return INFLATE_OUTPUT_LIMIT;
    }
}

} // namespace

unsigned inflate_raw_buffer(InflateOutput *out, const uint8_t *data, size_t size, size_t max_out)
{
    free(out->data);
    out->data = nullptr;
    out->size = 0;
    if (!data)
        size = 0;
    Inflater inflater(data, size, max_out);
    unsigned error = inflater.run();
    out->data = inflater.release(&out->size);
    return error;
}

unsigned inflate_raw(std::vector<uint8_t> &out, const uint8_t *data, size_t size, size_t max_out)
{
    InflateOutput buffer;
    unsigned error = inflate_raw_buffer(&buffer, data, size, max_out);
    out.assign(buffer.data, buffer.data + buffer.size);
    return error;
}

InflateOutput::~InflateOutput()
{
    free(data);
}
