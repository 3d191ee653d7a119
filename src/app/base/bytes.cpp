#include "app/base/bytes.h"

uint32_t le32_at(const void *data, size_t size, size_t at)
{
    if (!data || size < 4 || at > size - 4)
        return 0;
    const unsigned char *b = (const unsigned char *)data + at;
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}
