// Shared small utilities: the 10^-6 fixed point of the wire format; small
// text and file-system helpers. Numbers read from text are in number_text.h.
#pragma once
#include <cstdint>
#include <cstdio>

#include "app/base/wide_text.h"

// ---- the wire format's fixed point (one unit = 10^-6) ----
int32_t double_to_micro(double d); // truncated toward zero, saturated
double micro_to_double(int32_t i);
// ints[0] is the block's word count including itself; the words after it
// are scaled into out. The count is bounded by n_ints (the words that
// arrived) and the result by out_cap (doubles). Returns the doubles written.
int micro_ints_to_vec3s(const int32_t *ints, int n_ints, double *out, int out_cap);
int micro_ints_to_vec4s(const int32_t *ints, int n_ints, double *out, int out_cap);
// 13 words: position 3, quaternion 4, linear 3, angular velocity 3.
// Returns 0, or 1 (nothing written) when fewer than 13 words arrived.
int micro_ints_to_body_state(const int32_t *ints, int n_ints, double pos[3], double quat[4], double lin[3],
                             double ang[3]);

// ---- files ----
// 1 when path is a regular file, else 0.
int file_exists(const char *path);
int is_writable(const char *path);
// Creates the folder named by every prefix of path that ends before a '/'.
void mkdir_each_prefix(const char *path);
// When path does not exist and neither does its parent folder, creates
// every folder of the parent.
void ensure_parent_dirs(const char *path);
// True when every '/'- or '\'-separated part is made of ASCII letters,
// digits, '-', '_' and '.' and does not start with '.'; with allow_folders
// 0 any separator makes it false. Empty names and empty parts are false.
bool is_safe_path(const char *path, int allow_folders);
// Rewriting a file so that a failure never loses what was saved: write to
// the stream replace_file_open gives, then replace_file_commit closes it,
// syncs it and renames it over path. Returns 0, or 1 when anything failed:
// the old file is then kept and the temporary file removed. The temporary
// file is made new (never an existing file, never through a link) under
// this process's temporary name beside path (temp_names.h); whatever is at
// that name already stays (anything but a regular file of ours is
// reported) and the next name is taken, up to TEMP_NAME_TRIES. Null when
// no name beside path can be made.
FILE *replace_file_open(const char *path);
int replace_file_commit(FILE *f, const char *path);
// The same for a new file that must never replace one already there: the
// temporary file (from replace_file_open) becomes path when nothing has
// that name, else path with "-2", "-3", ... put before its extension. The
// name taken goes to final_name (size bytes; may be null). Returns 0, or 1
// when anything failed: the temporary file is then removed.
enum { NEW_FILE_MAX_COUNT = 9999 };
int new_file_commit(FILE *f, const char *path, char *final_name, int size);
// path with "-<n>" put before its extension (the last '.' of the last
// part), or at its end when it has none. 0, or 1 when it does not fit.
int counted_name(char *dst, int size, const char *path, int n);
// Gives up a rewrite: closes the stream and removes the temporary file; the
// file at path stays as it was.
void replace_file_discard(FILE *f, const char *path);
// Opens path for reading only when it is a regular file (after symlinks):
// a FIFO, device or folder with a data file's name would block or mislead
// the reader. The open itself never waits. Null (errno set) otherwise.
FILE *fopen_regular(const char *path, const char *mode);
// The same as a read-only descriptor; -1 (errno set) when refused.
int open_regular(const char *path);
// Opens path for appending, creating it when missing; only a regular file
// and never through a link at its name (null, errno set, otherwise).
FILE *fopen_append_regular(const char *path);
// Appends "dd-mm-yyyy hh:mm:ss text" as one line; dropped when the file
// cannot be opened.
void append_log_line(const char *path, const char *text);

// ---- text ----
// Removes every character of "~!./\*&| +'/:;<>" in place.
void sanitize_nick(char *text);
// Every run of blanks becomes one blank, in place.
void collapse_blanks(char *text);
// Removes the last n characters when the text has at least n; false otherwise.
bool str_cut_tail(char *text, int n);
void str_toupper(char *s);
void str_tolower(char *s);
// Copies the text before the first TAB into dst (dst_size bytes, cut to fit)
// and returns the text after it; without a TAB copies all and returns null.
const char *split_at_tab(const char *text, char *dst, int dst_size);
// The first "http://", else the first "www.": *start its index, *end the
// index before the next blank or the last index; *start = -1 when neither.
void find_url_span(const wchar16 *text, int *start, int *end);
void find_url_span_narrow(const char *text, int *start, int *end);
int is_ascii_alnum(unsigned unit);
int is_power_of_two(long long n);
// The smallest power of two not below n; 1 for n below 2 (2^31 at most).
uint32_t next_power_of_two(int32_t n);
