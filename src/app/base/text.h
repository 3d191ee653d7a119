// Bounded copies, the rotating format buffers, and the in-place trimming,
// splitting and encoding helpers for 8-bit text shared by every subsystem.
// The 16-bit string functions are in wide_text.h, the charset conversions in
// text_encoding.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// Copies at most size - 1 bytes of src into dst and always terminates.
char *n_strncpyz(char *dst, const char *src, int size);

// printf-style formatting into one of two per-thread buffers used in turn;
// a result stays valid until the call after next.
const char *va_format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

enum { VA_FORMAT_SIZE = 32000 };

// Cuts trailing blanks, LF, TAB and CR in place and returns a pointer past
// the leading blanks and tabs.
char *strip_blanks(char *s);
// The same with the double quote added to both sets.
char *strip_blanks_quotes(char *s);

// Reads the next line of a text file into buf (its newline kept). A line
// longer than size - 1 bytes comes back cut, with *cut set, and the rest of
// it is passed over, never read as a line of its own. False at the end.
bool read_text_line(FILE *f, char *buf, int size, bool *cut);

// Copies src into dst (dst_size bytes) with every occurrence of needle
// replaced by repl, left to right without overlap. An empty needle copies
// src unchanged. Returns 0, or 1 when the result was cut to fit.
int replace_all(char *dst, int dst_size, const char *src, const char *needle, const char *repl);
int str_replace_all(char *dst, int dst_size, const char *src, const char *needle, const char *repl);

// Copies at most size - 1 characters; a blank met once the running column
// exceeds width becomes LF and restarts the count.
void wrap_at_column(const char *src, int width, char *dst, int size);

enum { FIELD32_SIZE = 32 };
// Splits text at TAB and LF into 32-byte cells (each field at most 31
// characters), at most max fields. Returns 0 for the empty text or a lone
// LF, else the number of fields plus one.
int split_fields32(const char *text, char (*out)[FIELD32_SIZE], int max);

// Removes a "[...]" group (the ']' at least two places after the '[') when
// text follows it.
void strip_brackets(char *s);

// A string of ch repeated once per character of text (at most 127); the
// buffer is per thread and overwritten by the next call.
const char *mask_text(const char *text, char ch);

// "[tag]name" -> tag and name, each copied with at most len - 1 characters;
// anything else gives an empty tag and the whole text as the name.
void split_tag_and_name(const char *text, int len, char *tag, char *name);
// The same, then the name is lower-cased (ASCII).
void split_clan_tag(const char *text, int len, char *tag, char *name);

// Form URL-encoding of UTF-8 text: A-Z, a-z, 0-9 and "-_.~" are copied, the
// blank becomes '+', every other byte "%xx" in lower case. Only whole
// characters are written; dst is always terminated.
void url_encode(char *dst, const char *text, int size);

// Bounded copy of UTF-8 text: at most size - 1 bytes and a terminator,
// never ending inside a multi-byte sequence; a null src gives "".
void utf8_strncpyz(char *dst, size_t size, const char *src);

// Copies text into dst (size bytes) for a message: printable ASCII as it
// is, '\' as "\\", every other byte as "\xNN"; cut to fit, never inside an
// escape. Returns dst.
const char *escape_text(char *dst, int size, const char *text);
