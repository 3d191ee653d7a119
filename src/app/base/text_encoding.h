// Conversions between the locale's 8-bit text (UTF-8), 16-bit text in host
// byte order, UCS-2 and UTF-8, and the reader of the 16-bit localisation file.
#pragma once
#include <cstdint>

#include "app/base/wide_text.h"

// n bytes of locale text -> zero-terminated 16-bit text in out, which holds
// out_units units (n + 1 always suffice). No byte-order mark is written.
// Invalid bytes become U+FFFD; a text that does not fit is cut at a
// character. Returns the units written before the terminator.
int local_to_utf16(wchar16 *out, const char *in, int n, int out_units);

// 16-bit text (at most its first 1024 units) -> locale text in out, which
// holds n + 1 bytes: at most n bytes are written, out[n] and the byte after
// the text are zero. Lone surrogates become U+FFFD. Returns bytes written.
int utf16_to_local(char *out, const wchar16 *in, int n);

// n bytes of UCS-2 (little-endian) -> 16-bit text, as local_to_utf16.
int ucs2_to_utf16(wchar16 *out, const char *in, int n, int out_units);

enum { MENU_LINE_UNITS = 512 };
// Entry k (from 0) of "data/intl/menu.txt" (big-endian 16-bit text with a
// byte-order mark, CR LF line ends) into out (MENU_LINE_UNITS units) without
// its line end. Returns the entry's unit count including its line end, or 0
// (out empty) when the file or the entry is missing.
int menu_text_line(int k, wchar16 *out);
int menu_text_line_from(const char *path, int k, wchar16 *out);

// nbytes of UTF-8 -> one 16-bit unit per sequence in dst (which holds
// nbytes + 1 units), terminated. Invalid, overlong, surrogate and 4-byte
// sequences each become U+FFFD. Returns the units written.
int utf8_to_ucs2(wchar16 *dst, const char *src, int nbytes);

// Encodes one code point as UTF-8 into out (room for 4); returns the length.
// Surrogates and values past U+10FFFF are encoded as U+FFFD.
int utf8_encode(uint32_t cp, unsigned char *out);
