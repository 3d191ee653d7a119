#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/base/utils.h"
#include "app/base/number_text.h"
#include "support/test_support.h"

// Lists stop at CR/LF or the count, fill 0 from the first unreadable word,
// never write past the count and saturate at the 32-bit range.
TEST(Utils, IntListsStopFillAndSaturate)
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
    EXPECT_EQ(text_to_int32("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(text_to_int32(" -4294967296x"), INT32_MIN);
    EXPECT_EQ(text_to_int32("x"), 0);
    EXPECT_EQ(text_to_int32(nullptr), 0);
}

TEST(Utils, RealListsRefuseNonFiniteValues)
{
    double d[4];
    EXPECT_EQ(parse_double_list("1.5 -2e3 0.25", 4, d), 3);
    EXPECT_DOUBLE_EQ(d[1], -2000.0);
    // A non-finite value stops the list like a letter would.
    EXPECT_EQ(parse_double_list("1 nan 3", 3, d), 3);
    EXPECT_EQ(d[1], 0.0);
    EXPECT_EQ(d[2], 0.0);
    EXPECT_EQ(parse_double_list("inf", 1, d), 1);
    EXPECT_EQ(d[0], 0.0);
}

TEST(Utils, WordReaders)
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

TEST(Utils, SafePathsAndFiles)
{
    struct { const char *path; int folders, safe; } cases[] = {
        {"replay1.rpl", 0, 1},     {".hidden", 0, 0}, {"folder/file.lua", 0, 0}, {"folder/file.lua", 1, 1},
        {"a\\b", 1, 1},            {"../etc/passwd", 1, 0}, {"a/../b", 1, 0}, {"/etc/passwd", 1, 0},
        {"a//b", 1, 0},            {"a/", 1, 0},      {"", 1, 0},     {nullptr, 1, 0},
        {"a b", 0, 0},             {"caf\xc3\xa9", 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(is_safe_path(c.path, c.folders) ? 1 : 0, c.safe) << (c.path ? c.path : "null") << " " << c.folders;
    kxtest::TempDir dir;
    kxtest::write_file(dir.file("f.txt"), "x");
    EXPECT_EQ(file_exists(dir.file("f.txt").c_str()), 1);
    EXPECT_EQ(file_exists(dir.path().c_str()), 0); // a folder is no file
    EXPECT_EQ(file_exists(dir.file("none").c_str()), 0);
}
