#include "app/base/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char *n_strncpyz(char *dst, const char *src, int size)
{
    if (!src) {
        fprintf(stderr, "n_strncpyz: NULL src");
        return dst;
    }
    if (size < 1) {
        fprintf(stderr, "n_strncpyz: destsize < 1");
        return dst;
    }
    strncpy(dst, src, (size_t)size - 1);
    dst[size - 1] = '\0';
    return dst;
}

const char *va_format(const char *fmt, ...)
{
    // Per thread, so the lobby thread's messages never overwrite the main
    // thread's. The text is formatted into a scratch buffer first and only
    // then copied into the rotating one, so arguments that are earlier
    // results (even the one about to be reused) are read intact.
    static thread_local char buffers[2][VA_FORMAT_SIZE];
    static thread_local char scratch[VA_FORMAT_SIZE];
    static thread_local unsigned counter;
    char *buf = buffers[counter & 1];
    counter++;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(scratch, VA_FORMAT_SIZE, fmt, ap);
    va_end(ap);
    if (n < 0) {
        buf[0] = '\0';
        return buf;
    }
    size_t len = (size_t)n < VA_FORMAT_SIZE ? (size_t)n : VA_FORMAT_SIZE - 1;
    memcpy(buf, scratch, len);
    buf[len] = '\0';
    return buf;
}

static int in_set(char c, const char *set)
{
    return c != '\0' && strchr(set, c) != nullptr;
}

static char *strip_set(char *s, const char *tail_set, const char *head_set)
{
    size_t len = strlen(s);
    while (len > 0 && in_set(s[len - 1], tail_set))
        s[--len] = '\0';
    while (in_set(*s, head_set))
        s++;
    return s;
}

bool read_text_line(FILE *f, char *buf, int size, bool *cut)
{
    *cut = false;
    if (!fgets(buf, size, f))
        return false;
    const size_t len = strlen(buf);
    if ((len > 0 && buf[len - 1] == '\n') || feof(f))
        return true;
    *cut = true;
    int c;
    do
        c = getc(f);
    while (c != EOF && c != '\n');
    return true;
}

char *strip_blanks(char *s)
{
    return strip_set(s, " \n\t\r", " \t");
}

char *strip_blanks_quotes(char *s)
{
    return strip_set(s, " \n\t\r\"", " \t\"");
}

int replace_all(char *dst, int dst_size, const char *src, const char *needle, const char *repl)
{
    if (dst_size < 1)
        return 1;
    size_t room = (size_t)dst_size - 1;
    size_t nlen = needle ? strlen(needle) : 0;
    size_t rlen = repl ? strlen(repl) : 0;
    size_t out = 0;
    int cut = 0;
    const char *p = src ? src : "";
    while (*p) {
        const char *piece = p;
        size_t plen = 1;
        if (nlen > 0 && strncmp(p, needle, nlen) == 0) {
            piece = repl ? repl : "";
            plen = rlen;
            p += nlen;
        } else {
            p++;
        }
        if (out + plen > room) {
            size_t take = room - out;
            memcpy(dst + out, piece, take);
            out += take;
            cut = 1;
            break;
        }
        memcpy(dst + out, piece, plen);
        out += plen;
    }
    dst[out] = '\0';
    return cut;
}

int str_replace_all(char *dst, int dst_size, const char *src, const char *needle, const char *repl)
{
    return replace_all(dst, dst_size, src, needle, repl);
}

void wrap_at_column(const char *src, int width, char *dst, int size)
{
    if (size < 1)
        return;
    int col = 0, out = 0;
    for (const char *p = src ? src : ""; *p && out < size - 1; p++) {
        col++;
        if (*p == ' ' && col > width) {
            dst[out++] = '\n';
            col = 0;
        } else {
            dst[out++] = *p;
        }
    }
    dst[out] = '\0';
}

int split_fields32(const char *text, char (*out)[FIELD32_SIZE], int max)
{
    if (!text || !*text || strcmp(text, "\n") == 0 || max < 1) {
        if (max > 0)
            out[0][0] = '\0';
        return 0;
    }
    int n = 0, k = 0;
    const char *p = text;
    for (; *p && n < max; p++) {
        if (*p == '\t' || *p == '\n') {
            out[n][k] = '\0';
            n++;
            k = 0;
        } else if (k < FIELD32_SIZE - 1) {
            out[n][k++] = *p;
        }
    }
    // A last field not closed by a separator still counts.
    if (n < max && (k > 0 || (p > text && p[-1] != '\t' && p[-1] != '\n'))) {
        out[n][k] = '\0';
        n++;
    }
    if (n < max)
        out[n][0] = '\0';
    return n + 1;
}

// Index of the ']' closing a tag that begins at text[0] == '[', when it is at
// least two places after it and text follows; else -1.
static int tag_close(const char *text)
{
    const char *open = strchr(text, '[');
    if (!open)
        return -1;
    const char *close = strchr(open + 1, ']');
    if (!close || close - open < 2 || close[1] == '\0')
        return -1;
    return (int)(close - text);
}

void strip_brackets(char *s)
{
    char *open = strchr(s, '[');
    if (!open)
        return;
    int close = tag_close(open);
    if (close < 0)
        return;
    memmove(open, open + close + 1, strlen(open + close + 1) + 1);
}

const char *mask_text(const char *text, char ch)
{
    static thread_local char buf[128];
    size_t n = text ? strlen(text) : 0;
    if (n > sizeof buf - 1)
        n = sizeof buf - 1;
    memset(buf, ch, n);
    buf[n] = '\0';
    return buf;
}

void split_tag_and_name(const char *text, int len, char *tag, char *name)
{
    if (len < 1)
        return;
    if (!text)
        text = "";
    int close = text[0] == '[' ? tag_close(text) : -1;
    if (close < 0) {
        tag[0] = '\0';
        n_strncpyz(name, text, len);
        return;
    }
    int taglen = close - 1;
    if (taglen > len - 1)
        taglen = len - 1;
    memcpy(tag, text + 1, (size_t)taglen);
    tag[taglen] = '\0';
    n_strncpyz(name, text + close + 1, len);
}

void split_clan_tag(const char *text, int len, char *tag, char *name)
{
    split_tag_and_name(text, len, tag, name);
    if (len < 1)
        return;
    for (char *p = name; *p; p++)
        if (*p >= 'A' && *p <= 'Z')
            *p = (char)(*p - 'A' + 'a');
}

static int url_unreserved(unsigned c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '_' || c == '.' || c == '~';
}

// Length in bytes of the UTF-8 character starting with lead byte c (1 for a
// stray byte, which is then escaped on its own).
static int utf8_char_len(unsigned char c)
{
    if (c >= 0xF0 && c < 0xF8)
        return 4;
    if (c >= 0xE0)
        return c < 0xF0 ? 3 : 1;
    if (c >= 0xC0)
        return 2;
    return 1;
}

void url_encode(char *dst, const char *text, int size)
{
    static const char hex[] = "0123456789abcdef";
    if (size < 1)
        return;
    size_t room = (size_t)size - 1, out = 0;
    const unsigned char *p = (const unsigned char *)(text ? text : "");
    while (*p) {
        if (url_unreserved(*p) || *p == ' ') {
            if (out + 1 > room)
                break;
            dst[out++] = *p == ' ' ? '+' : (char)*p;
            p++;
            continue;
        }
        // Escape one whole character (all its bytes) or nothing.
        int n = utf8_char_len(*p);
        for (int i = 1; i < n; i++)
            if ((p[i] & 0xC0) != 0x80) {
                n = 1;
                break;
            }
        if (out + 3u * (size_t)n > room)
            break;
        for (int i = 0; i < n; i++) {
            dst[out++] = '%';
            dst[out++] = hex[p[i] >> 4];
            dst[out++] = hex[p[i] & 15];
        }
        p += n;
    }
    dst[out] = '\0';
}

void utf8_strncpyz(char *dst, size_t size, const char *src)
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

const char *escape_text(char *dst, int size, const char *text)
{
    if (!dst || size < 1)
        return "";
    static const char hex[] = "0123456789abcdef";
    int used = 0;
    for (const unsigned char *p = (const unsigned char *)(text ? text : ""); *p; p++) {
        char piece[5];
        int n = 0;
        if (*p == '\\') {
            piece[n++] = '\\';
            piece[n++] = '\\';
        } else if (*p >= 0x20 && *p < 0x7f) {
            piece[n++] = (char)*p;
        } else {
            piece[n++] = '\\';
            piece[n++] = 'x';
            piece[n++] = hex[*p >> 4];
            piece[n++] = hex[*p & 15];
        }
        if (used + n > size - 1)
            break;
        memcpy(dst + used, piece, (size_t)n);
        used += n;
    }
    dst[used] = '\0';
    return dst;
}
