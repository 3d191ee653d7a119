#include "app/text.h"

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
    // thread's; a result handed in as an argument is read before the other
    // buffer is written, so va_format("%s", va_format(...)) is safe.
    static thread_local char buffers[2][VA_FORMAT_SIZE];
    static thread_local unsigned counter;
    char *buf = buffers[counter & 1];
    counter++;
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, VA_FORMAT_SIZE, fmt, ap);
    va_end(ap);
    return buf;
}
