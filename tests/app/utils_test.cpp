#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "app/base/text.h"
#include "app/base/utils.h"
#include "support/test_support.h"

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

TEST(Utils, NextPowerOfTwoFromBelowTwoToTheTopOfTheRange)
{
    const struct { int32_t n; uint32_t p; } cases[] = {
        {INT_MIN, 1}, {-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {960, 1024}, {1024, 1024},
        {1025, 2048}, {INT_MAX, 0x80000000u},
    };
    for (const auto &c : cases)
        EXPECT_EQ(next_power_of_two(c.n), c.p) << c.n;
}

// A new file never replaces one of its name: the next free counter goes
// before the extension; the temporary file is gone either way.
TEST(Utils, NewFilesTakeACounterAndNeverReplace)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    kxtest::write_file("shot.bmp", "first");
    kxtest::write_file("shot-2.bmp", "second");
    char name[64];
    FILE *f = replace_file_open("shot.bmp");
    ASSERT_NE(f, nullptr);
    fputs("third", f);
    ASSERT_EQ(new_file_commit(f, "shot.bmp", name, sizeof name), 0);
    EXPECT_STREQ(name, "shot-3.bmp");
    EXPECT_EQ(kxtest::read_file("shot.bmp"), "first");
    EXPECT_EQ(kxtest::read_file("shot-2.bmp"), "second");
    EXPECT_EQ(kxtest::read_file("shot-3.bmp"), "third");
    EXPECT_EQ(file_exists("shot.bmp.tmp"), 0);
    // No extension: the counter goes at the end; a dot that starts the last
    // part is no extension either.
    for (const char *path : {"plain", "dir.d/.rc"}) {
        mkdir("dir.d", 0755);
        for (int i = 0; i < 2; i++) {
            f = replace_file_open(path);
            ASSERT_NE(f, nullptr);
            ASSERT_EQ(new_file_commit(f, path, name, sizeof name), 0);
        }
        EXPECT_EQ(std::string(name), std::string(path) + "-2");
    }
    // A failed write leaves nothing: not the name, not the temporary file.
    f = replace_file_open("failed.bmp");
    ASSERT_NE(f, nullptr);
    fputs("x", f);
    fclose(f);
    f = fopen("/dev/full", "w");
    ASSERT_NE(f, nullptr);
    fputs("no room", f);
    EXPECT_NE(new_file_commit(f, "failed.bmp", name, sizeof name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(file_exists("failed.bmp"), 0);
    EXPECT_EQ(file_exists("failed.bmp.tmp"), 0);
}

// Readers open only regular files: a FIFO would block in its open.
TEST(Utils, OnlyRegularFilesOpenForReading)
{
    kxtest::TempDir dir;
    kxtest::write_file(dir.file("file.txt"), "text");
    ASSERT_EQ(mkfifo(dir.file("pipe.rpl").c_str(), 0644), 0);
    FILE *f = fopen_regular(dir.file("file.txt").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(fread(buf, 1, sizeof buf - 1, f), 4u);
    EXPECT_STREQ(buf, "text");
    fclose(f);
    EXPECT_EQ(fopen_regular(dir.file("pipe.rpl").c_str(), "r"), nullptr);
    EXPECT_EQ(fopen_regular(dir.path().c_str(), "r"), nullptr);
    EXPECT_EQ(fopen_regular(dir.file("none").c_str(), "r"), nullptr);
    EXPECT_EQ(fopen_regular("/dev/zero", "r"), nullptr);
}

TEST(Utils, EscapedTextShowsEveryByte)
{
    char out[32];
    EXPECT_STREQ(escape_text(out, sizeof out, "key\x01\xff\\ ok"), "key\\x01\\xff\\\\ ok");
    // Cut to fit, never inside an escape.
    char small[8];
    EXPECT_STREQ(escape_text(small, sizeof small, "ab\x01\x02"), "ab\\x01");
    EXPECT_STREQ(escape_text(out, sizeof out, nullptr), "");
}
