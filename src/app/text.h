// Bounded copies, the rotating format buffers, and the 8-bit and 16-bit text
// helpers shared by every subsystem.
#pragma once
#include <cstddef>
#include <cstdint>

// Copies at most size - 1 bytes of src into dst and always terminates.
char *n_strncpyz(char *dst, const char *src, int size);

// printf-style formatting into one of two per-thread buffers used in turn;
// a result stays valid until the call after next.
const char *va_format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

enum { VA_FORMAT_SIZE = 32000 };
