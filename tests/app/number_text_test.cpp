#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

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
