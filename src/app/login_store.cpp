#include "app/login_store.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

static int g_login_loaded;

int login_is_loaded(void) { return g_login_loaded; }

enum { LOGIN_FILE_MAX = 4096 };

// Converts 16-bit units to UTF-8 into dst; 0 when a unit sequence is not
// valid UTF-16 or the text does not fit. Stands in for the shared text
// conversions until they are in the tree.
static int utf16_to_utf8(const uint16_t *src, int n, char *dst, int size)
{
    int used = 0;
    for (int i = 0; i < n; i++) {
        uint32_t c = src[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= n || src[i + 1] < 0xDC00 || src[i + 1] > 0xDFFF)
                return 0;
            c = 0x10000 + ((c - 0xD800) << 10) + (src[++i] - 0xDC00);
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return 0;
        }
        char out[4];
        int k;
        if (c < 0x80) {
            out[0] = (char)c;
            k = 1;
        } else if (c < 0x800) {
            out[0] = (char)(0xC0 | (c >> 6));
            out[1] = (char)(0x80 | (c & 0x3F));
            k = 2;
        } else if (c < 0x10000) {
            out[0] = (char)(0xE0 | (c >> 12));
            out[1] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[2] = (char)(0x80 | (c & 0x3F));
            k = 3;
        } else {
            out[0] = (char)(0xF0 | (c >> 18));
            out[1] = (char)(0x80 | ((c >> 12) & 0x3F));
            out[2] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[3] = (char)(0x80 | (c & 0x3F));
            k = 4;
        }
        if (used + k >= size)
            return 0;
        memcpy(dst + used, out, (size_t)k);
        used += k;
    }
    dst[used] = '\0';
    return 1;
}

int login_load(char *user, int user_size, char *password, int password_size)
{
    if (!user || !password || user_size < 1 || password_size < 1)
        return 1;
    user[0] = '\0';
    password[0] = '\0';
    FILE *f = fopen(LOGIN_FILE, "rb");
    if (!f)
        return 1;
    unsigned char bytes[LOGIN_FILE_MAX];
    size_t n = fread(bytes, 1, sizeof bytes, f);
    int too_big = fgetc(f) != EOF;
    fclose(f);
    if (too_big) {
        fprintf(stderr, "%s: too large for a stored login, ignored\n", LOGIN_FILE);
        return 1;
    }

    size_t pos = 0;
    int big_endian = 0;
    if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        pos = 2;
    } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        big_endian = 1;
        pos = 2;
    }
    uint16_t units[LOGIN_FILE_MAX / 2];
    int count = 0;
    for (; pos + 1 < n; pos += 2)
        units[count++] = big_endian ? (uint16_t)(bytes[pos] << 8 | bytes[pos + 1])
                                    : (uint16_t)(bytes[pos] | bytes[pos + 1] << 8);

    // The first two lines: user name, password.
    int start[2] = {0, 0}, len[2] = {0, 0}, line = 0, i = 0;
    while (line < 2 && i <= count) {
        if (i == count || units[i] == 0x000A) {
            int end = i;
            if (end > start[line] && units[end - 1] == 0x000D)
                end--;
            len[line] = end - start[line];
            line++;
            if (line < 2)
                start[line] = i + 1;
        }
        i++;
    }
    if (line < 2 || len[0] == 0 || len[1] == 0)
        return 1;
    if (!utf16_to_utf8(units + start[0], len[0], user, user_size) ||
        !utf16_to_utf8(units + start[1], len[1], password, password_size)) {
        fprintf(stderr, "%s: stored login unreadable or too long, ignored\n", LOGIN_FILE);
        user[0] = '\0';
        password[0] = '\0';
        return 1;
    }
    g_login_loaded = 1;
    return 0;
}
