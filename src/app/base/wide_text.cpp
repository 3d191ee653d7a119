#include "app/base/wide_text.h"

#include "app/base/text_encoding.h"

#include <cstring>

enum { NARROW_UNITS = 1024 };

int wstr_len(const wchar16 *s)
{
    int n = 0;
    if (s)
        while (s[n])
            n++;
    return n;
}

int wstr_equal(const wchar16 *a, const wchar16 *b)
{
    // A null pointer reads as the empty string, so two nulls are equal.
    int la = wstr_len(a), lb = wstr_len(b);
    if (la != lb)
        return 1;
    for (int i = 0; i < la; i++)
        if (a[i] != b[i])
            return 1;
    return 0;
}

int wstr_cat(wchar16 *dst, const wchar16 *src, int dst_units)
{
    if (!dst || dst_units < 1)
        return 1;
    int n = 0;
    while (n < dst_units - 1 && dst[n])
        n++;
    int i = 0, slen = wstr_len(src);
    while (i < slen && n < dst_units - 1)
        dst[n++] = src[i++];
    dst[n] = 0;
    return i < slen;
}

const wchar16 *wstr_find(const wchar16 *haystack, const wchar16 *needle)
{
    int nl = wstr_len(needle);
    if (nl == 0)
        return haystack;
    int hl = wstr_len(haystack);
    for (int i = 0; i + nl <= hl; i++)
        if (memcmp(haystack + i, needle, (size_t)nl * sizeof(wchar16)) == 0)
            return haystack + i;
    return nullptr;
}

static int is_delim(wchar16 c, const wchar16 *delims)
{
    for (; *delims; delims++)
        if (*delims == c)
            return 1;
    return 0;
}

wchar16 *wcstok_ctx(wchar16 *s, const wchar16 *delims, wchar16 **save)
{
    if (!s)
        s = *save;
    if (!s || !delims) {
        *save = nullptr;
        return nullptr;
    }
    while (*s && is_delim(*s, delims))
        s++;
    if (!*s) {
        *save = nullptr;
        return nullptr;
    }
    wchar16 *tok = s;
    while (*s && !is_delim(*s, delims))
        s++;
    if (*s) {
        *s = 0;
        *save = s + 1;
    } else {
        *save = s;
    }
    return tok;
}

wchar16 *wstr_tok(wchar16 *s, const wchar16 *delims)
{
    static thread_local wchar16 *save;
    return wcstok_ctx(s, delims, &save);
}

static int is_trim_unit(wchar16 c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

wchar16 *wstr_trim(wchar16 *s)
{
    if (!s)
        return s;
    int n = wstr_len(s);
    while (n > 0 && is_trim_unit(s[n - 1]))
        s[--n] = 0;
    while (*s == ' ' || *s == '\t')
        s++;
    return s;
}

static void narrow_to_wide(wchar16 *out, const char *in)
{
    out[0] = 0;
    if (in)
        local_to_utf16(out, in, (int)strlen(in), NARROW_UNITS);
}

const wchar16 *wstr_find_narrow(const wchar16 *haystack, const char *needle)
{
    wchar16 w[NARROW_UNITS];
    narrow_to_wide(w, needle);
    return wstr_find(haystack, w);
}

int wstr_equal_narrow(const wchar16 *a, const char *b)
{
    wchar16 w[NARROW_UNITS];
    narrow_to_wide(w, b);
    return wstr_equal(a, w);
}

int wstr_cat_narrow(wchar16 *dst, const char *src, int dst_units)
{
    wchar16 w[NARROW_UNITS];
    narrow_to_wide(w, src);
    return wstr_cat(dst, w, dst_units);
}

wchar16 *wstr_tok_narrow(wchar16 *s, const char *delims)
{
    wchar16 w[NARROW_UNITS];
    narrow_to_wide(w, delims);
    return wstr_tok(s, w);
}

static int unreserved(unsigned u)
{
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
           u == '-' || u == '_' || u == '.' || u == '~';
}

void url_encode_wide(char *dst, const wchar16 *text, int size)
{
    static const char hex[] = "0123456789abcdef";
    if (size < 1)
        return;
    size_t room = (size_t)size - 1, out = 0;
    int len = wstr_len(text);
    for (int i = 0; i < len;) {
        unsigned u = text[i++];
        if (unreserved(u) || u == ' ') {
            if (out + 1 > room)
                break;
            dst[out++] = u == ' ' ? '+' : (char)u;
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && i < len && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i++] - 0xDC00);
        else if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        unsigned char bytes[4];
        int n = utf8_encode(u, bytes);
        if (out + 3u * (size_t)n > room)
            break;
        for (int k = 0; k < n; k++) {
            dst[out++] = '%';
            dst[out++] = hex[bytes[k] >> 4];
            dst[out++] = hex[bytes[k] & 15];
        }
    }
    dst[out] = '\0';
}
