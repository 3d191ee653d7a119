// The bounded list readers: values the C library reads the same, the
// separators and groups, and the numbers refused with a message while
// reading goes on.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/base/number_text.h"
#include "support/test_support.h"

// Ordinary numbers come out as strtod and strtol read them, in groups and
// lists alike.
TEST(NumberLists, OrdinaryNumbersReadAsTheCLibraryReadsThem)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> real(-1e6, 1e6);
    std::uniform_int_distribution<int32_t> whole(INT32_MIN, INT32_MAX);
    for (int round = 0; round < 50; round++) {
        std::string text, ints;
        std::vector<double> want;
        std::vector<int32_t> want_i;
        for (int k = 0; k < 12; k++) {
            char buf[64];
            snprintf(buf, sizeof buf, "%.17g ", real(rng));
            want.push_back(strtod(buf, nullptr));
            text += buf;
            want_i.push_back(whole(rng));
            ints += std::to_string(want_i.back()) + (k % 2 ? "," : " ,");
        }
        double v3[12], v4[12], n[12];
        float f[12];
        int32_t sep[12], pairs[12];
        EXPECT_EQ(parse_vec3_list(text.c_str(), 4, v3), 4);
        EXPECT_EQ(parse_vec4_list(text.c_str(), 3, v4), 3);
        EXPECT_EQ(*parse_doubles_n(text.c_str(), 12, n), ' ');
        EXPECT_EQ(parse_float_list(text.c_str(), 12, f), 12);
        EXPECT_EQ(parse_int_list_sep(ints.c_str(), ',', 12, sep), 12);
        std::string blank_ints;
        for (int32_t x : want_i)
            blank_ints += std::to_string(x) + " ";
        EXPECT_EQ(parse_int_pairs(blank_ints.c_str(), 6, pairs), 6);
        for (int k = 0; k < 12; k++) {
            EXPECT_EQ(v3[k], want[k]);
            EXPECT_EQ(v4[k], want[k]);
            EXPECT_EQ(n[k], want[k]);
            EXPECT_EQ(f[k], (float)want[k]);
            EXPECT_EQ(sep[k], want_i[k]);
            EXPECT_EQ(pairs[k], want_i[k]);
        }
    }
}

TEST(NumberLists, SeparatorsGroupsAndTheEndOfTheList)
{
    int32_t i[6];
    EXPECT_EQ(parse_int_list_sep("1,2, 3", ',', 5, i), 3);
    EXPECT_EQ(std::vector<int32_t>(i, i + 5), std::vector<int32_t>({1, 2, 3, 0, 0}));
    // One separator where a number is expected; a second ends the list.
    EXPECT_EQ(parse_int_list_sep("4,,5", ',', 3, i), 1);
    EXPECT_EQ(std::vector<int32_t>(i, i + 3), std::vector<int32_t>({4, 0, 0}));
    EXPECT_EQ(parse_int_list_sep("7 8\r\n9", ',', 3, i), 2);
    EXPECT_EQ(parse_int_pairs("1 2 3", 2, i), 1);
    EXPECT_EQ(std::vector<int32_t>(i, i + 4), std::vector<int32_t>({1, 2, 3, 0}));
    EXPECT_EQ(parse_int_pairs("", 3, i), 0);

    double d[8];
    EXPECT_EQ(parse_vec3_list("1 2 3 4 5", 2, d), 1);
    EXPECT_EQ(std::vector<double>(d, d + 6), std::vector<double>({1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(parse_vec4_list("1 2 3 4 x 6", 2, d), 1);
    EXPECT_EQ(d[4], 0.0);
    const char *text = "0.5 -2 3 rest";
    EXPECT_STREQ(parse_doubles_n(text, 2, d), " 3 rest");
    EXPECT_STREQ(parse_doubles_n("1 2 x", 4, d), "x");
    EXPECT_EQ(std::vector<double>(d, d + 4), std::vector<double>({1, 2, 0, 0}));
    EXPECT_STREQ(parse_doubles_n(nullptr, 1, d), "");
    EXPECT_EQ(d[0], 0.0);
}

// Refused: too long, not finite, beyond the type. Each is named on
// standard error, takes 0, and the numbers after it are still read.
TEST(NumberLists, BadValuesAreRefusedAndReadingGoesOn)
{
    const std::string long_int = std::string(70, '0') + "7";
    const std::string long_real = "1." + std::string(80, '5');
    struct Row {
        std::string text;
        const char *why;
    } rows[] = {
        {long_int + " 5", "too long"},
        {"2147483648 5", "out of range"},
        {"-99999999999999999999999 5", "out of range"},
        {long_real + " 5", "too long"},
        {"nan 5", "not finite"},
        {"-inf 5", "not finite"},
        {"1e999 5", "not finite"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        const bool integer = r.text.find_first_of(".nai") == std::string::npos && r.text.find('e') == std::string::npos;
        std::string err;
        if (integer) {
            int32_t i[3] = {9, 9, 9}, p[4];
            err = kxtest::stderr_of([&] {
                EXPECT_EQ(parse_int_list_sep(r.text.c_str(), ',', 3, i), 2);
                EXPECT_EQ(parse_int_pairs(r.text.c_str(), 2, p), 1);
            });
            EXPECT_EQ(std::vector<int32_t>(i, i + 3), std::vector<int32_t>({0, 5, 0}));
            EXPECT_EQ(p[1], 5);
        } else {
            double d[6];
            float f[2];
            err = kxtest::stderr_of([&] {
                EXPECT_EQ(parse_vec3_list((r.text + " 6").c_str(), 2, d), 1);
                EXPECT_EQ(parse_float_list(r.text.c_str(), 2, f), 2);
            });
            EXPECT_EQ(std::vector<double>(d, d + 3), std::vector<double>({0, 5, 6}));
            EXPECT_EQ(f[0], 0.0f);
            EXPECT_EQ(f[1], 5.0f);
        }
        EXPECT_NE(err.find(std::string("Number refused (") + r.why + ")"), std::string::npos) << err;
        EXPECT_LT(err.size(), 200u);   // the refused text is cut in the message
    }
    // A double fine as a double but beyond a float is refused by the float
    // reader only.
    double d[3];
    float f[1];
    EXPECT_EQ(parse_vec3_list("1e39 0 0", 1, d), 1);
    EXPECT_EQ(d[0], 1e39);
    const std::string err = kxtest::stderr_of([&] { parse_float_list("1e39", 1, f); });
    EXPECT_NE(err.find("out of range"), std::string::npos);
    EXPECT_EQ(f[0], 0.0f);
}
