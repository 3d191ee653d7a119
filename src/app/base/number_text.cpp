#include "app/base/number_text.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- one number ----

int32_t clamp_to_int32(long long v)
{
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return (int32_t)v;
}

const char *scan_int32(const char *text, int base, int32_t *out)
{
    char *end;
    const long long v = strtoll(text, &end, base);
    if (end == text)
        return nullptr;
    *out = clamp_to_int32(v);
    return end;
}

const char *scan_double(const char *text, double *out)
{
    char *end;
    const double v = strtod(text, &end);
    if (end == text || !std::isfinite(v))
        return nullptr;
    *out = v;
    return end;
}

const char *scan_float(const char *text, float *out)
{
    char *end;
    const float v = strtof(text, &end);
    if (end == text || !std::isfinite(v))
        return nullptr;
    *out = v;
    return end;
}

int32_t text_to_int32(const char *text)
{
    int32_t v = 0;
    if (text)
        scan_int32(text, BASE_DECIMAL, &v);
    return v;
}

float text_to_float(const char *text)
{
    float v = 0.0f;
    if (text)
        scan_float(text, &v);
    return v;
}

// ---- lists on one line ----

static const char *skip_blanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

static bool at_line_end(const char *p)
{
    return *p == '\0' || *p == '\r' || *p == '\n';
}

// The one list walk: scan reads one number of type T at p.
template <typename T, typename Scan>
static int read_list(const char *text, int max, T *out, bool zero_fill, Scan scan)
{
    int n = 0;
    const char *p = text ? text : "";
    while (n < max) {
        p = skip_blanks(p);
        if (at_line_end(p))
            break;
        T v;
        const char *end = scan(p, &v);
        if (!end) {
            while (zero_fill && n < max)
                out[n++] = 0;
            break;
        }
        out[n++] = v;
        p = end;
    }
    return n;
}

static const char *scan_decimal(const char *p, int32_t *v) { return scan_int32(p, BASE_DECIMAL, v); }
static const char *scan_c_forms(const char *p, int32_t *v) { return scan_int32(p, BASE_C_FORMS, v); }

int read_int_list(const char *text, int base, int max, int32_t *out)
{
    return read_list(text, max, out, false, base == BASE_DECIMAL ? scan_decimal : scan_c_forms);
}

int read_double_list(const char *text, int max, double *out)
{
    return read_list(text, max, out, false, scan_double);
}

int read_float_list(const char *text, int max, float *out)
{
    return read_list(text, max, out, false, scan_float);
}

int parse_int_list(const char *text, int max, int32_t *out)
{
    return read_list(text, max, out, true, scan_decimal);
}

int parse_double_list(const char *text, int max, double *out)
{
    return read_list(text, max, out, true, scan_double);
}

// ---- blank-separated words ----

static int is_word_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Finds the next word: returns its start and sets *end past it; copies at
// most 255 characters of it into word.
static const char *next_word(const char *text, const char **end, char *word)
{
    const char *p = text ? text : "";
    while (is_word_blank(*p))
        p++;
    const char *q = p;
    while (*q && !is_word_blank(*q))
        q++;
    size_t len = (size_t)(q - p);
    if (len > 255)
        len = 255;
    memcpy(word, p, len);
    word[len] = '\0';
    *end = q;
    return p;
}

// The next word read by scan; the text after it and its white space, or the
// word's start with *err = 1.
template <typename T, typename Scan>
static const char *next_number_word(const char *text, T *out, int *err, Scan scan)
{
    char word[256];
    const char *q;
    const char *p = next_word(text, &q, word);
    if (!word[0] || !scan(word, out)) {
        *err = 1;
        return p;
    }
    *err = 0;
    while (is_word_blank(*q))
        q++;
    return q;
}

const char *next_int_word(const char *text, int32_t *out, int *err)
{
    return next_number_word(text, out, err, scan_c_forms);
}

const char *next_float_word(const char *text, float *out, int *err)
{
    return next_number_word(text, out, err, scan_float);
}

template <typename T, typename Next>
static int read_words(const char *text, int max, T *out, Next next)
{
    int n = 0, err = 0;
    const char *p = text;
    while (n < max) {
        p = next(p, &out[n], &err);
        if (err)
            break;
        n++;
    }
    return n;
}

int read_int_words(const char *text, int max, int32_t *out)
{
    return read_words(text, max, out, next_int_word);
}

int read_float_words(const char *text, int max, float *out)
{
    return read_words(text, max, out, next_float_word);
}

const char *skip_words(const char *text, int n)
{
    const char *s = text ? text : "";
    for (int k = 0; k < n; k++) {
        s = skip_blanks(s);
        while (*s && *s != ' ' && *s != '\t' && *s != '\r' && *s != '\n')
            s++;
    }
    return s;
}

// ---- numbers to text ----

int ints_to_text(char *dst, int size, const int32_t *values, int n)
{
    if (size < 1)
        return 0;
    int len = 0;
    dst[0] = '\0';
    for (int i = 0; i < n; i++) {
        char piece[16];
        int k = snprintf(piece, sizeof piece, "%i ", (int)values[i]);
        if (len + k >= size)
            break;
        memcpy(dst + len, piece, (size_t)k + 1);
        len += k;
    }
    if (len > 0 && dst[len - 1] == ' ')
        dst[--len] = '\0';
    return len;
}
