// MD5 (RFC 1321): passwords in login lines and checks of downloaded files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct Md5Context {
    uint32_t state[4];
    uint32_t count[2]; // bits, low word first
    uint8_t buffer[64];
};

void md5_init(Md5Context *ctx);
void md5_update(Md5Context *ctx, const void *data, size_t len);
void md5_final(Md5Context *ctx, uint8_t digest[16]);

enum { MD5_HEX_SIZE = 33 };

// MD5 of the text's bytes as 32 lower-case hex digits and a terminator;
// nothing is written when size is below 33.
void md5_string_hex(const char *text, char *dst, int size);
// Digest of the rest of an open stream, read in 1024-byte chunks: 0, or -1
// on a read error.
int md5_file(FILE *stream, uint8_t digest[16]);
// The digest as 32 lower-case hex digits (nothing when size is below 33).
void md5_hex_append(const uint8_t digest[16], char *dst, int size);
// The 32 digits on standard output, no line end.
void md5_print(const uint8_t digest[16]);

// Checks every "digest  name" / "digest *name" line of a list: 0 all good,
// 1 a digest differed, 2 a file could not be read, 3 no file checked.
// Messages go to standard error.
int md5_check_list(FILE *list);
// The checker's settings: the program name in its messages, verbose
// output and forced binary reading (empty and off unless set).
void md5_check_settings(const char *program_name, int verbose, int force_binary);
