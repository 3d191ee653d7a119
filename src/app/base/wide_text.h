// Zero-terminated 16-bit strings (UTF-16 in host byte order), as chat and
// console lines are held. A null pointer counts as the empty string wherever
// a length is taken.
#pragma once
#include <cstdint>

typedef uint16_t wchar16;

int wstr_len(const wchar16 *s);
// 0 when both hold the same units, else 1; null equals empty.
int wstr_equal(const wchar16 *a, const wchar16 *b);
// Appends src after the string in dst, which holds dst_units units in all;
// the result is cut to fit and always terminated. Returns 1 when cut.
int wstr_cat(wchar16 *dst, const wchar16 *src, int dst_units);
// First occurrence of needle; an empty needle yields haystack, an empty
// haystack null.
const wchar16 *wstr_find(const wchar16 *haystack, const wchar16 *needle);
// Tokenizer with a caller-held save pointer (s null continues from *save).
wchar16 *wcstok_ctx(wchar16 *s, const wchar16 *delims, wchar16 **save);
// wcstok_ctx with one per-thread save pointer.
wchar16 *wstr_tok(wchar16 *s, const wchar16 *delims);
// Cuts trailing blanks, LF, TAB and CR in place; returns a pointer past the
// leading blanks and tabs.
wchar16 *wstr_trim(wchar16 *s);

// The same operations with an 8-bit argument, converted from the locale's
// text first (at most 1023 units).
const wchar16 *wstr_find_narrow(const wchar16 *haystack, const char *needle);
int wstr_equal_narrow(const wchar16 *a, const char *b);
int wstr_cat_narrow(wchar16 *dst, const char *src, int dst_units);
wchar16 *wstr_tok_narrow(wchar16 *s, const char *delims);

// Form URL-encoding of 16-bit text: as url_encode, each character escaped
// as its UTF-8 bytes (a surrogate pair as one 4-byte character, a lone
// surrogate as U+FFFD).
void url_encode_wide(char *dst, const wchar16 *text, int size);
