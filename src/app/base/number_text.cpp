#include "app/base/number_text.h"

#include <climits>
#include <cerrno>
#include <cfloat>
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

// ---- bounded lists ----

static void refuse_number(const char *what, const char *start, const char *end)
{
    const int len = (int)(end - start);
    fprintf(stderr, "Number refused (%s): %.*s%s\n", what, len > 32 ? 32 : len, start, len > 32 ? "..." : "");
}

// One number at p (blanks skipped before). Returns the text after it, or
// null when no number starts there; *ok is false for a refused number.
static const char *bounded_int(const char *p, int32_t *v, bool *ok)
{
    char *end;
    errno = 0;
    const long long x = strtoll(p, &end, 10);
    if (end == p)
        return nullptr;
    *ok = false;
    if (end - p > NUMBER_TEXT_MAX)
        refuse_number("too long", p, end);
    else if (errno == ERANGE || x > INT32_MAX || x < INT32_MIN)
        refuse_number("out of range", p, end);
    else
        *ok = true;
    *v = *ok ? (int32_t)x : 0;
    return end;
}

static const char *bounded_double(const char *p, double *v, bool *ok)
{
    char *end;
    const double x = strtod(p, &end);
    if (end == p)
        return nullptr;
    *ok = false;
    if (end - p > NUMBER_TEXT_MAX)
        refuse_number("too long", p, end);
    else if (!std::isfinite(x))
        refuse_number("not finite", p, end);
    else
        *ok = true;
    *v = *ok ? x : 0.0;
    return end;
}

static const char *bounded_float(const char *p, float *v, bool *ok)
{
    double d = 0.0;
    const char *end = bounded_double(p, &d, ok);
    if (end && *ok && std::fabs(d) > FLT_MAX) {
        refuse_number("out of range", p, end);
        *ok = false;
        d = 0.0;
    }
    *v = (float)d;
    return end;
}

// The one bounded walk; *rest receives where it stopped.
template <typename T, typename Scan>
static int bounded_list(const char *text, char sep, int max, T *out, Scan scan, const char **rest)
{
    int n = 0;
    const char *p = text ? text : "";
    while (n < max) {
        p = skip_blanks(p);
        if (sep && *p == sep)
            p = skip_blanks(p + 1);
        if (at_line_end(p))
            break;
        T v = 0;
        bool ok = false;
        const char *end = scan(p, &v, &ok);
        if (!end)
            break;
        out[n++] = v;
        p = end;
    }
    for (int k = n; k < max; k++)
        out[k] = 0;
    if (rest)
        *rest = p;
    return n;
}

int parse_int_list_sep(const char *text, char sep, int max, int32_t *out)
{
    return bounded_list(text, sep, max, out, bounded_int, nullptr);
}

int parse_int_pairs(const char *text, int max_pairs, int32_t *out)
{
    return bounded_list(text, '\0', 2 * max_pairs, out, bounded_int, nullptr) / 2;
}

int parse_float_list(const char *text, int max, float *out)
{
    return bounded_list(text, '\0', max, out, bounded_float, nullptr);
}

int parse_vec3_list(const char *text, int max_groups, double *out)
{
    return bounded_list(text, '\0', 3 * max_groups, out, bounded_double, nullptr) / 3;
}

int parse_vec4_list(const char *text, int max_groups, double *out)
{
    return bounded_list(text, '\0', 4 * max_groups, out, bounded_double, nullptr) / 4;
}

const char *parse_doubles_n(const char *text, int n, double *out)
{
    const char *rest = text;
    bounded_list(text, '\0', n, out, bounded_double, &rest);
    return rest;
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
