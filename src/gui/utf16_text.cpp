#include "gui/utf16_text.h"

#include <cstring>

int gui_wstr_len(const uint16_t *s)
{
    int n = 0;
    if (!s)
        return 0;
    while (s[n])
        n++;
    return n;
}

// Reads one code point from p (at most the bytes up to the terminator);
// returns the number of bytes consumed (at least 1) and the code point.
static int decode_utf8(const unsigned char *p, uint32_t *cp)
{
    unsigned char b = p[0];
    int len;
    uint32_t c, min;
    if (b < 0x80) {
        *cp = b;
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2; c = b & 0x1F; min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3; c = b & 0x0F; min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4; c = b & 0x07; min = 0x10000;
    } else {
        *cp = 0xFFFD;
        return 1;
    }
    for (int i = 1; i < len; i++) {
        if ((p[i] & 0xC0) != 0x80) {   // also stops at the terminator
            *cp = 0xFFFD;
            return i;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        *cp = 0xFFFD;
        return len;
    }
    *cp = c;
    return len;
}

int gui_utf8_to_utf16(uint16_t *out, int out_units, const char *in)
{
    if (!out || out_units < 1)
        return 0;
    int n = 0;
    const unsigned char *p = (const unsigned char *)(in ? in : "");
    while (*p) {
        uint32_t cp;
        p += decode_utf8(p, &cp);
        if (cp >= 0x10000) {
            if (n + 2 > out_units - 1)
                break;
            cp -= 0x10000;
            out[n++] = (uint16_t)(0xD800 | (cp >> 10));
            out[n++] = (uint16_t)(0xDC00 | (cp & 0x3FF));
        } else {
            if (n + 1 > out_units - 1)
                break;
            out[n++] = (uint16_t)cp;
        }
    }
    out[n] = 0;
    return n;
}

int gui_utf16_to_utf8(char *out, int out_size, const uint16_t *in)
{
    if (!out || out_size < 1)
        return 0;
    int n = 0;
    for (int i = 0; in && in[i]; i++) {
        uint32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            i++;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        unsigned char buf[4];
        int len;
        if (cp < 0x80) {
            buf[0] = (unsigned char)cp; len = 1;
        } else if (cp < 0x800) {
            buf[0] = (unsigned char)(0xC0 | (cp >> 6));
            buf[1] = (unsigned char)(0x80 | (cp & 0x3F)); len = 2;
        } else if (cp < 0x10000) {
            buf[0] = (unsigned char)(0xE0 | (cp >> 12));
            buf[1] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = (unsigned char)(0x80 | (cp & 0x3F)); len = 3;
        } else {
            buf[0] = (unsigned char)(0xF0 | (cp >> 18));
            buf[1] = (unsigned char)(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
            buf[3] = (unsigned char)(0x80 | (cp & 0x3F)); len = 4;
        }
        if (n + len > out_size - 1)
            break;
        memcpy(out + n, buf, (size_t)len);
        n += len;
    }
    out[n] = '\0';
    return n;
}

void gui_utf8_copy(char *dst, size_t size, const char *src)
{
    if (!dst || size < 1)
        return;
    if (!src)
        src = "";
    size_t len = strnlen(src, size);
    if (len < size) {
        memcpy(dst, src, len + 1);
        return;
    }
    // Too long: cut before the sequence that holds byte size - 1.
    size_t cut = size - 1;
    while (cut > 0 && ((unsigned char)src[cut] & 0xC0) == 0x80)
        cut--;
    memcpy(dst, src, cut);
    dst[cut] = '\0';
}
