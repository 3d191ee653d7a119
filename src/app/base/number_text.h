// Numbers read from text: one reader of each kind, on which every list and
// word reader of the protocol lines, the mod statements, the rules and the
// wire records is built. Integers are read by strtoll and saturate at the
// 32-bit range; floats and doubles are read by strtof and strtod, and a value
// that is not finite counts as no number.
#pragma once
#include <cstdint>

// ---- one number ----
// The bases an integer is read in: decimal ("%d"), or the C forms ("%i":
// decimal, 0x hex, leading-0 octal).
enum { BASE_DECIMAL = 10, BASE_C_FORMS = 0 };

int32_t clamp_to_int32(long long v);
// One number at text (leading white space skipped, as strtoll and strtod
// do). Returns the text after it, or null when no number starts there or the
// value is not finite; *out is then left as it was.
const char *scan_int32(const char *text, int base, int32_t *out);
const char *scan_double(const char *text, double *out);
const char *scan_float(const char *text, float *out);
// The number at the start of text (decimal for integers); 0 for null, no
// number or a value that is not finite.
int32_t text_to_int32(const char *text);
float text_to_float(const char *text);

// ---- lists on one line ----
// Up to max numbers separated by blanks and tabs. The list ends at CR, LF,
// the end of the text, the count, or a character where no number can be
// read. Returns how many were read; the slots after them keep their contents.
int read_int_list(const char *text, int base, int max, int32_t *out);
int read_double_list(const char *text, int max, double *out);
int read_float_list(const char *text, int max, float *out);
// The same, decimal, except that a character where no number can be read
// ends the list with the remaining slots up to the count set to 0 (and
// counted), as the mod statements expect.
int parse_int_list(const char *text, int max, int32_t *out);
int parse_double_list(const char *text, int max, double *out);

// ---- bounded lists ----
// The readers of lists that come from files and peers. Numbers are read as
// above, blanks between them skipped; the list ends at CR, LF, the end of
// the text or the count. A number that is too long (more than
// NUMBER_TEXT_MAX characters), not finite, or outside the range of its type
// (32-bit integers, floats) is refused with a message on standard error:
// its slot takes 0 and reading goes on after it. A character where no
// number can start ends the list; the slots after it up to the count are
// set to 0. Each returns how many numbers were read (refused ones
// included), or for groups how many complete groups.
enum { NUMBER_TEXT_MAX = 64 };
// out is zeroed first; one sep character is skipped wherever a number is
// expected ("1,2, 3").
int parse_int_list_sep(const char *text, char sep, int max, int32_t *out);
// Integers taken pairwise into out[2 * max_pairs]; the complete pairs.
int parse_int_pairs(const char *text, int max_pairs, int32_t *out);
int parse_float_list(const char *text, int max, float *out);
// Doubles in groups of 3 or 4 into out[3 or 4 * max_groups].
int parse_vec3_list(const char *text, int max_groups, double *out);
int parse_vec4_list(const char *text, int max_groups, double *out);
// Exactly n doubles (missing ones 0); returns the text after the last one
// read.
const char *parse_doubles_n(const char *text, int n, double *out);

// ---- blank-separated words ----
// Skips white space and reads the next word (up to 255 characters of it are
// looked at) as one number in the C forms, or as a float. Success: *err = 0,
// returns the text after the word and its trailing white space. No word or
// no number: *err = 1, returns the text at the word.
const char *next_int_word(const char *text, int32_t *out, int *err);
const char *next_float_word(const char *text, float *out, int *err);
// Up to max words read as above, stopping at the first that is no number;
// returns the count read.
int read_int_words(const char *text, int max, int32_t *out);
int read_float_words(const char *text, int max, float *out);
// Skips n words separated by blanks and tabs; a word ends at CR or LF too.
const char *skip_words(const char *text, int n);

// ---- numbers to text ----
// Writes each value as "%i " while it fits in size, then drops the last
// blank. Returns the length written.
int ints_to_text(char *dst, int size, const int32_t *values, int n);
