#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/number_text.h"

// What strtoll makes of text in a base, held to 32 bits, and where it ends.
static bool reference_int(const char *text, int base, int32_t *value, long *used)
{
    char *end;
    const long long v = strtoll(text, &end, base);
    *used = end - text;
    *value = v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : (int32_t)v);
    return end != text;
}

// The readers against the C library's own: integers as strtoll reads them,
// held to 32 bits; reals as strtod and strtof read them, except that a value
// that is not finite is no number; and the list walk around them.
TEST(NumberText, ReadersAgreeWithTheCLibrary)
{
    const char *cases[] = {"0", "42", "-17", "+5", "  12", "\t-3x", "0x1f", "-0X10", "010", "08", "0x",
                           "2147483647", "2147483648", "-2147483648", "-2147483649", "99999999999999999999",
                           "-99999999999999999999", "x", "", "-", "+", " ", "1e3", "7 8"};
    for (const char *text : cases) {
        for (int base : {BASE_DECIMAL, BASE_C_FORMS}) {
            SCOPED_TRACE(std::string("\"") + text + "\" base " + std::to_string(base));
            int32_t want = 0;
            long used = 0;
            const bool ok = reference_int(text, base, &want, &used);
            int32_t got = -12345;
            const char *end = scan_int32(text, base, &got);
            if (ok) {
                ASSERT_NE(end, nullptr);
                EXPECT_EQ(got, want);
                EXPECT_EQ(end - text, used);
            } else {
                EXPECT_EQ(end, nullptr);
                EXPECT_EQ(got, -12345);
            }
            if (base == BASE_DECIMAL) {
                EXPECT_EQ(text_to_int32(text), ok ? want : 0);
            }
            int32_t list[1] = {-12345};
            EXPECT_EQ(read_int_list(text, base, 1, list), ok ? 1 : 0);
            EXPECT_EQ(list[0], ok ? want : -12345);
        }
    }

    const char *reals[] = {"0", "1.5", "-2e3", " .25", "1e-320", "1e39", "1e309", "-1e309",
                           "inf", "-INF", "nan", "x", "", "3.4028235e38", "0x1p3"};
    for (const char *text : reals) {
        SCOPED_TRACE(text);
        char *end;
        const double d = strtod(text, &end);
        const bool d_ok = end != text && std::isfinite(d);
        double got_d = -1;
        const char *e = scan_double(text, &got_d);
        EXPECT_EQ(e != nullptr, d_ok);
        if (d_ok) {
            EXPECT_EQ(got_d, d);
            EXPECT_EQ(e, end);
        }
        const float f = strtof(text, &end);
        const bool f_ok = end != text && std::isfinite(f);
        float got_f = -1;
        e = scan_float(text, &got_f);
        EXPECT_EQ(e != nullptr, f_ok);
        if (f_ok) {
            EXPECT_EQ(got_f, f);
        }
        EXPECT_EQ(text_to_float(text), f_ok ? f : 0.0f);
    }

    // Blanks and tabs separate, CR and LF end the line, a character where no
    // number starts ends the list (the parse_ lists fill the rest with 0 and
    // count it).
    struct Case {
        const char *text;
        int read_count;   // read_int_list, C forms, max 4
        int parse_count;  // parse_int_list, max 4
        int32_t second;   // slot 1 after read_int_list (99: untouched)
    } lists[] = {
        {"1 2 3", 3, 3, 2},
        {" 1\t0x10 3 4 5", 4, 4, 16},
        {"1 x 3", 1, 4, 99},
        {"1\r\n2", 1, 1, 99},
        {"", 0, 0, 99},
        {"010 011", 2, 2, 9},
    };
    for (const Case &c : lists) {
        SCOPED_TRACE(c.text);
        int32_t v[4] = {99, 99, 99, 99};
        EXPECT_EQ(read_int_list(c.text, BASE_C_FORMS, 4, v), c.read_count);
        EXPECT_EQ(v[1], c.second);
        int32_t w[4] = {99, 99, 99, 99};
        EXPECT_EQ(parse_int_list(c.text, 4, w), c.parse_count);
    }
    double d[3] = {9, 9, 9};
    EXPECT_EQ(read_double_list("1.5 inf 2", 3, d), 1);
    EXPECT_EQ(d[1], 9.0);
    float f[3];
    EXPECT_EQ(read_float_words("1 2.5 x 4", 3, f), 2);
    EXPECT_STREQ(skip_words(" a\tb c", 2), " c");
}

// Lists stop at CR/LF or the count, fill 0 from the first unreadable word,
// never write past the count and saturate at the 32-bit range.
TEST(NumberText, IntListsStopFillAndSaturate)
{
    struct { const char *text; int max, n; std::vector<int32_t> want; } rows[] = {
        {"1 2 3", 2, 2, {1, 2}},
        {"7x", 3, 3, {7, 0, 0}},
        {" 4  -5 \r\n6", 3, 2, {4, -5}},
        {"", 3, 0, {}},
        {"99999999999 -99999999999 2147483647", 3, 3, {INT32_MAX, INT32_MIN, INT32_MAX}},
    };
    for (const auto &r : rows) {
        int32_t out[4] = {9, 9, 9, 9};
        EXPECT_EQ(parse_int_list(r.text, r.max, out), r.n) << r.text;
        for (size_t i = 0; i < r.want.size(); i++)
            EXPECT_EQ(out[i], r.want[i]) << r.text << " at " << i;
        EXPECT_EQ(out[r.max], 9) << r.text;
    }
    EXPECT_EQ(text_to_int32(nullptr), 0);
}

TEST(NumberText, WordReaders)
{
    // err 1 leaves the value unchecked.
    struct { const char *text; int err; int32_t v; const char *rest; } rows[] = {
        {"  12 word", 0, 12, "word"}, {"", 1, 0, ""},   {"  abc 1", 1, 0, "abc 1"},
        {"0x1f", 0, 31, ""},          {"010", 0, 8, ""}, {"4294967297", 0, INT32_MAX, ""},
        {"-0x100000000", 0, INT32_MIN, ""},
    };
    for (const auto &r : rows) {
        int32_t v = 0;
        int err = 2;
        EXPECT_STREQ(next_int_word(r.text, &v, &err), r.rest) << r.text;
        EXPECT_EQ(err, r.err) << r.text;
        if (!r.err) {
            EXPECT_EQ(v, r.v) << r.text;
        }
    }
    // A word longer than 255 characters is read from its first 255.
    int32_t v = 0;
    int err = 1;
    std::string longw = "7" + std::string(300, '0') + " end";
    EXPECT_STREQ(next_int_word(longw.c_str(), &v, &err), "end");
    EXPECT_EQ(err, 0);
    EXPECT_EQ(v, INT32_MAX);
    float f = 0;
    EXPECT_STREQ(next_float_word("2.5 x", &f, &err), "x");
    EXPECT_EQ(err, 0);
    EXPECT_FLOAT_EQ(f, 2.5f);
    next_float_word("nan", &f, &err);
    EXPECT_EQ(err, 1);
}
