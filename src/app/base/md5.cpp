#include "app/base/md5.h"
#include "app/base/bytes.h"

#include "app/base/text.h"
#include "app/base/utils.h"

#include <cstring>

// ---- the RFC 1321 core ----

static const uint32_t K[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

static const unsigned SHIFT[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    5, 9,  14, 20, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 6, 10, 15, 21, 6, 10, 15, 21,
    6, 10, 15, 21, 6, 10, 15, 21,
};

static uint32_t rotl(uint32_t x, unsigned n)
{
    return (x << n) | (x >> (32 - n));
}

static void md5_block(uint32_t state[4], const uint8_t block[64])
{
    uint32_t w[16];
    for (int i = 0; i < 16; i++)
        w[i] = le32_at(block, 64, (size_t)i * 4);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; i++) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) & 15;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) & 15;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) & 15;
        }
        uint32_t tmp = d;
        d = c;
        c = b;
        b = b + rotl(a + f + K[i] + w[g], SHIFT[i]);
        a = tmp;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void md5_init(Md5Context *ctx)
{
    ctx->state[0] = 0x67452301;
    ctx->state[1] = 0xefcdab89;
    ctx->state[2] = 0x98badcfe;
    ctx->state[3] = 0x10325476;
    ctx->count[0] = ctx->count[1] = 0;
}

void md5_update(Md5Context *ctx, const void *data, size_t len)
{
    const uint8_t *p = (const uint8_t *)data;
    size_t used = (ctx->count[0] >> 3) & 63;
    uint64_t bits = ((uint64_t)ctx->count[1] << 32 | ctx->count[0]) + ((uint64_t)len << 3);
    ctx->count[0] = (uint32_t)bits;
    ctx->count[1] = (uint32_t)(bits >> 32);
    if (used) {
        size_t take = 64 - used < len ? 64 - used : len;
        memcpy(ctx->buffer + used, p, take);
        p += take;
        len -= take;
        if (used + take < 64)
            return;
        md5_block(ctx->state, ctx->buffer);
    }
    for (; len >= 64; p += 64, len -= 64)
        md5_block(ctx->state, p);
    if (len)
        memcpy(ctx->buffer, p, len);
}

void md5_final(Md5Context *ctx, uint8_t digest[16])
{
    uint8_t length[8];
    for (int i = 0; i < 4; i++) {
        length[i] = (uint8_t)(ctx->count[0] >> (8 * i));
        length[4 + i] = (uint8_t)(ctx->count[1] >> (8 * i));
    }
    size_t used = (ctx->count[0] >> 3) & 63;
    static const uint8_t padding[64] = {0x80};
    md5_update(ctx, padding, used < 56 ? 56 - used : 120 - used);
    md5_update(ctx, length, 8);
    for (int i = 0; i < 4; i++)
        for (int k = 0; k < 4; k++)
            digest[i * 4 + k] = (uint8_t)(ctx->state[i] >> (8 * k));
    memset(ctx, 0, sizeof *ctx);
}

// ---- the program's interface ----

void md5_hex_append(const uint8_t digest[16], char *dst, int size)
{
    static const char hex[] = "0123456789abcdef";
    if (!dst || size < MD5_HEX_SIZE)
        return;
    for (int i = 0; i < 16; i++) {
        dst[i * 2] = hex[digest[i] >> 4];
        dst[i * 2 + 1] = hex[digest[i] & 15];
    }
    dst[32] = '\0';
}

void md5_string_hex(const char *text, char *dst, int size)
{
    if (!dst || size < MD5_HEX_SIZE)
        return;
    Md5Context ctx;
    uint8_t digest[16];
    md5_init(&ctx);
    if (text)
        md5_update(&ctx, text, strlen(text));
    md5_final(&ctx, digest);
    md5_hex_append(digest, dst, size);
}

int md5_file(FILE *stream, uint8_t digest[16])
{
    Md5Context ctx;
    uint8_t buf[1024];
    md5_init(&ctx);
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, stream)) > 0)
        md5_update(&ctx, buf, n);
    int err = ferror(stream) ? -1 : 0;
    md5_final(&ctx, digest);
    return err;
}

void md5_print(const uint8_t digest[16])
{
    char hex[MD5_HEX_SIZE];
    md5_hex_append(digest, hex, sizeof hex);
    fputs(hex, stdout);
}

// ---- the digest-list checker ----

static char g_program_name[64];
static int g_verbose;
static int g_force_binary;

void md5_check_settings(const char *program_name, int verbose, int force_binary)
{
    n_strncpyz(g_program_name, program_name ? program_name : "", sizeof g_program_name);
    g_verbose = verbose;
    g_force_binary = force_binary;
}

static int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// 32 lower-case hex digits into 16 bytes; 0, or 1 when the line does not
// start so.
static int parse_digest(const char *line, uint8_t digest[16])
{
    for (int i = 0; i < 16; i++) {
        int hi = hex_value(line[i * 2]);
        int lo = hi < 0 ? -1 : hex_value(line[i * 2 + 1]);
        if (lo < 0)
            return 1;
        digest[i] = (uint8_t)(hi << 4 | lo);
    }
    return 0;
}

enum { CHECK_LINE_SIZE = 1024, CHECK_NAME_MAX = 253 };

int md5_check_list(FILE *list)
{
    const char *prog = g_program_name;
    char line[CHECK_LINE_SIZE];
    int status = 0, failed = 0, checked = 0, width = 14;
    while (fgets(line, sizeof line, list)) {
        size_t len = strlen(line);
        if (len == sizeof line - 1 && line[len - 1] != '\n') {
            // Longer than a line may be: skip the rest of it and the line.
            int c;
            while ((c = fgetc(list)) != EOF && c != '\n') {
            }
            continue;
        }
        uint8_t want[16];
        if (parse_digest(line, want) != 0 || line[32] != ' ')
            continue;
        char mode = line[33];
        if (mode != ' ' && mode != '*') {
            fprintf(stderr, "%s: unrecognized line: %s", prog, line);
            continue;
        }
        // The name runs to the line end; only a real CR or LF is cut.
        char *name = line + 34;
        size_t nlen = strlen(name);
        while (nlen > 0 && (name[nlen - 1] == '\n' || name[nlen - 1] == '\r'))
            name[--nlen] = '\0';
        if (nlen > CHECK_NAME_MAX)
            continue;
        if (g_verbose) {
            if ((int)nlen > width)
                width = (int)nlen;
            fprintf(stderr, "%-*s ", width, name);
        }
        int binary = mode == '*' || g_force_binary;
        FILE *f = fopen_regular(name, binary ? "rb" : "r");
        if (!f) {
            fprintf(stderr, "%s: can't open %s\n", prog, name);
            status = 2;
            continue;
        }
        uint8_t got[16];
        int rc = md5_file(f, got);
        fclose(f);
        if (rc != 0) {
            fprintf(stderr, "%s: error reading %s\n", prog, name);
            status = 2;
            continue;
        }
        checked++;
        if (memcmp(got, want, 16) == 0) {
            if (g_verbose)
                fprintf(stderr, "OK\n");
        } else {
            failed++;
            if (g_verbose)
                fprintf(stderr, "FAILED\n");
            else
                fprintf(stderr, "%s: MD5 check failed for '%s'\n", prog, name);
        }
    }
    if (g_verbose && failed > 0)
        fprintf(stderr, "%s: %d of %d file(s) failed MD5 check\n", prog, failed, checked);
    if (checked == 0) {
        fprintf(stderr, "%s: no files checked\n", prog);
        return 3;
    }
    if (status != 0)
        return status;
    return failed > 0 ? 1 : 0;
}
