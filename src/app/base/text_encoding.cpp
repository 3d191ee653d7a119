#include "app/base/text_encoding.h"
#include "app/base/utils.h"

#include "app/base/data_dirs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>

// The locale's 8-bit text is UTF-8 on every machine we run on; naming it
// keeps the conversions the same whatever LC_CTYPE the tests run under.
static const char LOCAL_CHARSET[] = "UTF-8";
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
static const char HOST_UTF16[] = "UTF-16LE";
#else
static const char HOST_UTF16[] = "UTF-16BE";
#endif

static const wchar16 REPLACEMENT = 0xFFFD;

// Runs iconv over the whole input, replacing every invalid or cut-off input
// character by repl and skipping skip_bytes of input for it. Stops when the
// output is full. Returns the bytes written, or -1 when iconv_open failed.
static long convert(const char *to, const char *from, const char *in, size_t inbytes, char *out,
                    size_t outbytes, const char *repl, size_t repl_len, size_t skip_bytes)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) {
        fprintf(stderr, "iconv_open from %s to %s failed: %s\n", from, to, strerror(errno));
        return -1;
    }
    char *ip = const_cast<char *>(in);
    char *op = out;
    size_t ileft = inbytes, oleft = outbytes;
    while (ileft > 0) {
        if (iconv(cd, &ip, &ileft, &op, &oleft) != (size_t)-1)
            break;
        if (errno == E2BIG)
            break;
        // EILSEQ or EINVAL (a character cut off by the end of the input).
        if (oleft < repl_len)
            break;
        memcpy(op, repl, repl_len);
        op += repl_len;
        oleft -= repl_len;
        size_t skip = skip_bytes < ileft ? skip_bytes : ileft;
        ip += skip;
        ileft -= skip;
    }
    iconv_close(cd);
    return (long)(op - out);
}

static int to_utf16(const char *from, size_t skip, wchar16 *out, const char *in, int n, int out_units)
{
    if (!out || out_units < 1)
        return 0;
    out[0] = 0;
    if (!in || n <= 0)
        return 0;
    // Units are written whole: iconv only ever stores complete characters.
    wchar16 repl = REPLACEMENT;
    long bytes = convert(HOST_UTF16, from, in, (size_t)n, (char *)out,
                         (size_t)(out_units - 1) * sizeof(wchar16), (const char *)&repl, sizeof repl, skip);
    int units = bytes > 0 ? (int)(bytes / 2) : 0;
    out[units] = 0;
    return units;
}

int local_to_utf16(wchar16 *out, const char *in, int n, int out_units)
{
    return to_utf16(LOCAL_CHARSET, 1, out, in, n, out_units);
}

int ucs2_to_utf16(wchar16 *out, const char *in, int n, int out_units)
{
    return to_utf16("UCS-2LE", 2, out, in, n, out_units);
}

int utf16_to_local(char *out, const wchar16 *in, int n)
{
    if (!out || !in || n <= 0)
        return 0;
    out[0] = '\0';
    int units = 0;
    while (units < 1024 && in[units])
        units++;
    static const char repl[] = "\xEF\xBF\xBD";
    long bytes = convert(LOCAL_CHARSET, HOST_UTF16, (const char *)in, (size_t)units * 2, out, (size_t)n,
                         repl, 3, 2);
    if (bytes < 0)
        bytes = 0;
    out[bytes] = '\0';
    out[n] = '\0';
    return (int)bytes;
}

int menu_text_line(int k, wchar16 *out)
{
    return menu_text_line_from(data_path("data/intl/menu.txt"), k, out);
}

int menu_text_line_from(const char *path, int k, wchar16 *out)
{
    out[0] = 0;
    if (k < 0)
        return 0;
    FILE *f = fopen_regular(path, "rb");
    if (!f) {
        fprintf(stderr, "cant open %s\n", path);
        return 0;
    }
    unsigned char b[2];
    int big_endian = 1, first = 1, line = 0, count = 0, kept = 0;
    while (fread(b, 1, 2, f) == 2) {
        wchar16 u = big_endian ? (wchar16)(b[0] << 8 | b[1]) : (wchar16)(b[1] << 8 | b[0]);
        if (first) {
            first = 0;
            if (u == 0xFEFF)
                continue;
            if (u == 0xFFFE) { // a little-endian file
                big_endian = 0;
                continue;
            }
        }
        if (line == k) {
            count++;
            if (u == '\n')
                break;
            if (kept < MENU_LINE_UNITS - 1)
                out[kept++] = u;
        } else if (u == '\n') {
            line++;
        }
    }
    fclose(f);
    if (kept > 0 && out[kept - 1] == '\r')
        kept--;
    out[kept] = 0;
    return count;
}

int utf8_encode(uint32_t cp, unsigned char *out)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out[0] = (unsigned char)cp;
        return 1;
    }
    if (cp < 0x800) {
        out[0] = (unsigned char)(0xC0 | (cp >> 6));
        out[1] = (unsigned char)(0x80 | (cp & 63));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = (unsigned char)(0xE0 | (cp >> 12));
        out[1] = (unsigned char)(0x80 | ((cp >> 6) & 63));
        out[2] = (unsigned char)(0x80 | (cp & 63));
        return 3;
    }
    out[0] = (unsigned char)(0xF0 | (cp >> 18));
    out[1] = (unsigned char)(0x80 | ((cp >> 12) & 63));
    out[2] = (unsigned char)(0x80 | ((cp >> 6) & 63));
    out[3] = (unsigned char)(0x80 | (cp & 63));
    return 4;
}

int utf8_to_ucs2(wchar16 *dst, const char *src, int nbytes)
{
    const unsigned char *s = (const unsigned char *)src;
    int out = 0, i = 0;
    while (i < nbytes) {
        unsigned c = s[i];
        int len;
        uint32_t cp, min;
        if (c < 0x80) {
            dst[out++] = (wchar16)c;
            i++;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07, min = 0x10000;
        } else {
            // A stray continuation byte, C0/C1 (always overlong) or F5..FF.
            dst[out++] = REPLACEMENT;
            i++;
            continue;
        }
        int k = 1;
        while (k < len && i + k < nbytes && (s[i + k] & 0xC0) == 0x80) {
            cp = cp << 6 | (s[i + k] & 0x3F);
            k++;
        }
        if (k < len) {
            // Cut short by a non-continuation byte or the end of the input:
            // one replacement for the broken sequence, then go on with the
            // byte that broke it.
            dst[out++] = REPLACEMENT;
            i += k;
            continue;
        }
        i += len;
        if (cp < min || cp > 0xFFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            dst[out++] = REPLACEMENT;
        else
            dst[out++] = (wchar16)cp;
    }
    dst[out] = 0;
    return out;
}
