#include "app/services/login_store.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/text_encoding.h"
#include "app/base/utils.h"

static int g_login_loaded;

int login_is_loaded(void) { return g_login_loaded; }
void login_forget(void) { g_login_loaded = 0; }

enum { LOGIN_FILE_MAX = 4096 };

// One line of 16-bit units as locale text into dst; 0 when it does not fit.
static int line_to_local(const uint16_t *units, int n, char *dst, int size)
{
    wchar16 line[LOGIN_FILE_MAX / 2 + 1];
    for (int i = 0; i < n; i++)
        line[i] = (wchar16)units[i];
    line[n] = 0;
    char text[LOGIN_FILE_MAX * 2 + 1];
    int len = utf16_to_local(text, line, (int)sizeof text - 1);
    if (len < 0 || len >= size)
        return 0;
    memcpy(dst, text, (size_t)len + 1);
    return 1;
}

int login_load(char *user, int user_size, char *password, int password_size)
{
    if (!user || !password || user_size < 1 || password_size < 1)
        return 1;
    user[0] = '\0';
    password[0] = '\0';
    FILE *f = fopen_regular(data_path(LOGIN_FILE), "rb");
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
    if (!line_to_local(units + start[0], len[0], user, user_size) ||
        !line_to_local(units + start[1], len[1], password, password_size)) {
        fprintf(stderr, "%s: stored login unreadable or too long, ignored\n", LOGIN_FILE);
        user[0] = '\0';
        password[0] = '\0';
        return 1;
    }
    g_login_loaded = 1;
    return 0;
}
