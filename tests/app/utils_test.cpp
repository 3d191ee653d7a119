#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "app/base/utils.h"
#include "app/base/number_text.h"
#include "support/test_support.h"

TEST(Utils, IntListStopsAndFills)
{
    int32_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(parse_int_list("1 2 3", 2, out), 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 9);
    EXPECT_EQ(parse_int_list("7x", 3, out), 3);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(parse_int_list(" 4  -5 \r\n6", 4, out), 2);
    EXPECT_EQ(out[1], -5);
    EXPECT_EQ(parse_int_list("", 4, out), 0);
}

TEST(Utils, IntegersSaturateAtThe32BitRange)
{
    int32_t out[3];
    EXPECT_EQ(parse_int_list("99999999999 -99999999999 2147483647", 3, out), 3);
    EXPECT_EQ(out[0], INT32_MAX);
    EXPECT_EQ(out[1], INT32_MIN);
    EXPECT_EQ(out[2], INT32_MAX);
    int err = 1;
    int32_t v = 0;
    next_int_word("4294967297", &v, &err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(v, INT32_MAX);
    next_int_word("-0x100000000", &v, &err);
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_EQ(text_to_int32("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(text_to_int32(" -4294967296x"), INT32_MIN);
    EXPECT_EQ(text_to_int32("x"), 0);
    EXPECT_EQ(text_to_int32(nullptr), 0);
}

TEST(Utils, RealLists)
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
    int32_t v = 0;
    int err = 0;
    const char *rest = next_int_word("  12 word", &v, &err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(v, 12);
    EXPECT_STREQ(rest, "word");
    rest = next_int_word("", &v, &err);
    EXPECT_EQ(err, 1);
    rest = next_int_word("  abc 1", &v, &err);
    EXPECT_EQ(err, 1);
    EXPECT_STREQ(rest, "abc 1");
    next_int_word("0x1f", &v, &err);
    EXPECT_EQ(v, 31);
    next_int_word("010", &v, &err);
    EXPECT_EQ(v, 8);
    // A word longer than 255 characters is read from its first 255.
    std::string longw = "7" + std::string(300, '0') + " end";
    rest = next_int_word(longw.c_str(), &v, &err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_STREQ(rest, "end");
    float f = 0;
    rest = next_float_word("2.5 x", &f, &err);
    EXPECT_EQ(err, 0);
    EXPECT_FLOAT_EQ(f, 2.5f);
    EXPECT_STREQ(rest, "x");
    next_float_word("nan", &f, &err);
    EXPECT_EQ(err, 1);
}

TEST(Utils, MicroBlocksAreBoundedByInputAndOutput)
{
    int32_t block[] = {4, 1000000, -2000000, 3000000};
    double out[8];
    EXPECT_EQ(micro_ints_to_vec3s(block, 4, out, 8), 3);
    EXPECT_DOUBLE_EQ(out[1], -2.0);
    // A count word claiming more than arrived.
    int32_t lying[] = {1000000, 1, 2};
    for (double &d : out)
        d = 42;
    EXPECT_EQ(micro_ints_to_vec4s(lying, 3, out, 8), 2);
    EXPECT_EQ(out[2], 42);
    // More than the output holds.
    double two[2];
    EXPECT_EQ(micro_ints_to_vec3s(block, 4, two, 2), 2);
    int32_t neg[] = {-5, 1};
    EXPECT_EQ(micro_ints_to_vec3s(neg, 2, out, 8), 0);
    EXPECT_EQ(micro_ints_to_vec3s(block, 0, out, 8), 0);

    int32_t body[13];
    for (int i = 0; i < 13; i++)
        body[i] = (i + 1) * 1000000;
    double pos[3], quat[4], lin[3], ang[3];
    EXPECT_EQ(micro_ints_to_body_state(body, 13, pos, quat, lin, ang), 0);
    EXPECT_DOUBLE_EQ(pos[0], 1.0);
    EXPECT_DOUBLE_EQ(quat[0], 4.0);
    EXPECT_DOUBLE_EQ(lin[0], 8.0);
    EXPECT_DOUBLE_EQ(ang[2], 13.0);
    EXPECT_EQ(micro_ints_to_body_state(body, 12, pos, quat, lin, ang), 1);
}

TEST(Utils, SafePaths)
{
    struct { const char *path; int folders, safe; } cases[] = {
        {"replay1.rpl", 0, 1},     {".hidden", 0, 0}, {"folder/file.lua", 0, 0}, {"folder/file.lua", 1, 1},
        {"a\\b", 1, 1},            {"../etc/passwd", 1, 0}, {"a/../b", 1, 0}, {"/etc/passwd", 1, 0},
        {"a//b", 1, 0},            {"a/", 1, 0},      {"", 1, 0},     {nullptr, 1, 0},
        {"a b", 0, 0},             {"caf\xc3\xa9", 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(is_safe_path(c.path, c.folders) ? 1 : 0, c.safe) << (c.path ? c.path : "null") << " " << c.folders;
}

TEST(Utils, FilesAndFolders)
{
    kxtest::TempDir dir;
    kxtest::write_file(dir.file("f.txt"), "x");
    EXPECT_EQ(file_exists(dir.file("f.txt").c_str()), 1);
    EXPECT_EQ(file_exists(dir.path().c_str()), 0); // a folder is no file
    EXPECT_EQ(file_exists(dir.file("none").c_str()), 0);
    EXPECT_EQ(is_writable(dir.file("f.txt").c_str()), 1);
    EXPECT_EQ(is_writable(dir.file("none").c_str()), 0);

    std::string deep = dir.file("a/b/c/file.txt");
    mkdir_each_prefix(deep.c_str());
    struct stat st;
    EXPECT_EQ(stat(dir.file("a/b/c").c_str(), &st), 0);
    EXPECT_NE(stat(deep.c_str(), &st), 0); // the last part is no folder

    std::string other = dir.file("x/y/");
    ensure_parent_dirs(other.c_str());
    EXPECT_EQ(stat(dir.file("x/y").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    // A rewrite replaces the file whole, or leaves it as it was.
    std::string saved = dir.file("saved.txt");
    kxtest::write_file(saved, "old");
    FILE *f = replace_file_open(saved.c_str());
    ASSERT_TRUE(f);
    fputs("new", f);
    EXPECT_EQ(replace_file_commit(f, saved.c_str()), 0);
    EXPECT_EQ(kxtest::read_file(saved), "new");
    EXPECT_NE(stat((saved + ".tmp").c_str(), &st), 0);
    std::string busy = dir.file("a/b"); // a folder with content: no rename over it
    f = replace_file_open(busy.c_str());
    ASSERT_TRUE(f);
    fputs("lost", f);
    EXPECT_EQ(replace_file_commit(f, busy.c_str()), 1);
    EXPECT_EQ(stat((busy + "/c").c_str(), &st), 0);
    EXPECT_NE(stat((busy + ".tmp").c_str(), &st), 0);
    EXPECT_EQ(replace_file_open(dir.file("none/x").c_str()), nullptr);

    std::string log = dir.file("log.txt");
    append_log_line(log.c_str(), "first");
    append_log_line(log.c_str(), "second %s");
    std::string content = kxtest::read_file(log);
    EXPECT_TRUE(testing::internal::RE::FullMatch(
        content, "[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] first\n"
                 "[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] second %s\n"))
        << content;
    append_log_line(dir.file("no/such/dir/log").c_str(), "dropped");
}

TEST(Utils, TextHelpers)
{
    char nick[] = "my.nick <x> 'a'";
    sanitize_nick(nick);
    EXPECT_STREQ(nick, "mynickxa");
    char blanks[] = "a   b  c ";
    collapse_blanks(blanks);
    EXPECT_STREQ(blanks, "a b c ");
    std::string long_text(300, 'x');
    EXPECT_TRUE(str_cut_tail(&long_text[0], 290));
    EXPECT_EQ(strlen(long_text.c_str()), 10u);
    char s[] = "abc";
    EXPECT_FALSE(str_cut_tail(s, 4));
    EXPECT_TRUE(str_cut_tail(s, 3));
    EXPECT_STREQ(s, "");
    char u[] = "MiXed1";
    str_toupper(u);
    EXPECT_STREQ(u, "MIXED1");
    str_tolower(u);
    EXPECT_STREQ(u, "mixed1");

    char dst[5];
    const char *rest = split_at_tab("name\trest", dst, sizeof dst);
    EXPECT_STREQ(dst, "name");
    EXPECT_STREQ(rest, "rest");
    rest = split_at_tab("verylongname\tx", dst, sizeof dst);
    EXPECT_STREQ(dst, "very");
    EXPECT_STREQ(rest, "x");
    EXPECT_EQ(split_at_tab("notab", dst, sizeof dst), nullptr);
    EXPECT_STREQ(dst, "nota");
}

TEST(Utils, UrlSpans)
{
    int s, e;
    find_url_span((const wchar16 *)u"see http://x.org now", &s, &e);
    EXPECT_EQ(s, 4);
    EXPECT_EQ(e, 15);
    find_url_span((const wchar16 *)u"go www.x.org", &s, &e);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(e, 11);
    find_url_span((const wchar16 *)u"no link here", &s, &e);
    EXPECT_EQ(s, -1);
    find_url_span_narrow("a www.b http://c d", &s, &e);
    EXPECT_EQ(s, 8);
    EXPECT_EQ(e, 15);
    find_url_span_narrow(nullptr, &s, &e);
    EXPECT_EQ(s, -1);
}

