// UTF-8 <-> UTF-16 conversions for the chat and console text.
//
// MERGE NOTE: stand-in for the shared conversions in src/app
// (local_to_utf16 / utf16_to_local). When those are available, replace the
// calls to gui_utf8_to_utf16 / gui_utf16_to_utf8 and delete this file and
// utf16_text.cpp.
#pragma once
#include <cstddef>
#include <cstdint>

// Units before the terminating zero; 0 for a null pointer.
int gui_wstr_len(const uint16_t *s);

// Decodes UTF-8 into at most out_units - 1 units and a terminator. Malformed
// bytes, overlong forms and encoded surrogates become U+FFFD; characters past
// U+FFFF become surrogate pairs. A character that does not fit whole is not
// written. Returns the number of units written (without the terminator).
int gui_utf8_to_utf16(uint16_t *out, int out_units, const char *in);

// Encodes UTF-16 into at most out_size - 1 bytes and a terminator; an
// unpaired surrogate becomes U+FFFD. A character that does not fit whole is
// not written. Returns the number of bytes written.
int gui_utf16_to_utf8(char *out, int out_size, const uint16_t *in);

// Bounded copy of UTF-8 text: at most size - 1 bytes and a terminator,
// never ending inside a multi-byte sequence.
void gui_utf8_copy(char *dst, size_t size, const char *src);
