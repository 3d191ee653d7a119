#include "net/records/wire_text.h"

#include <cstring>


static bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

const char *wire_read_word(const char *text, char *dst, int size)
{
    if (size > 0)
        dst[0] = '\0';
    if (!text)
        return nullptr;
    const char *p = text;
    while (is_blank(*p))
        p++;
    const char *start = p;
    while (*p && !is_blank(*p) && *p != '\r' && *p != '\n')
        p++;
    if (p == start)
        return nullptr;
    int len = (int)(p - start);
    if (size > 0) {
        if (len > size - 1)
            len = size - 1;
        memcpy(dst, start, (size_t)len);
        dst[len] = '\0';
    }
    return p;
}

void wire_copy_field(char *dst, const char *text, int size)
{
    if (size < 1)
        return;
    dst[0] = '\0';
    if (!text)
        return;
    const char *p = text;
    while (is_blank(*p))
        p++;
    int n = 0;
    while (*p && *p != '\r' && *p != '\n' && n < size - 1) {
        unsigned char c = (unsigned char)*p++;
        dst[n++] = (c < 0x20 || c == 0x7f) ? ' ' : (char)c;
    }
    // A cut never leaves half a UTF-8 character behind.
    if (*p && *p != '\r' && *p != '\n' && ((unsigned char)*p & 0xC0) == 0x80) {
        while (n > 0 && ((unsigned char)dst[n - 1] & 0xC0) == 0x80)
            n--;
        if (n > 0 && ((unsigned char)dst[n - 1] & 0xC0) == 0xC0)
            n--;
    }
    while (n > 0 && dst[n - 1] == ' ')
        n--;
    dst[n] = '\0';
}

int wire_split_names(const char *text, char *cells, int cell_size, int max)
{
    if (cell_size < 1 || max < 1)
        return 0;
    memset(cells, 0, (size_t)cell_size * (size_t)max);
    int n = 0;
    const char *p = text;
    while (p && *p && *p != '\r' && *p != '\n' && n < max) {
        const char *end = p;
        while (*end && *end != '\t' && *end != '\r' && *end != '\n')
            end++;
        int len = (int)(end - p);
        if (len > 0) {
            if (len > cell_size - 1)
                len = cell_size - 1;
            memcpy(cells + (size_t)n * (size_t)cell_size, p, (size_t)len);
            n++;
        }
        p = *end == '\t' ? end + 1 : end;
    }
    return n;
}
