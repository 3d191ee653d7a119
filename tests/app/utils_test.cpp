#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

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
// before the extension (none: at the end; a leading dot is no extension).
TEST(Utils, NewFilesTakeACounterAndNeverReplace)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("dir.d", 0755);
    kxtest::write_file("shot-2.bmp", "kept");
    const struct { const char *path, *second; } cases[] = {
        {"shot.bmp", "shot-3.bmp"}, {"plain", "plain-2"}, {"dir.d/.rc", "dir.d/.rc-2"}};
    for (const auto &c : cases) {
        char name[64];
        for (const char *expected : {c.path, c.second}) {
            FILE *f = replace_file_open(c.path);
            ASSERT_NE(f, nullptr);
            fputs(expected, f);
            ASSERT_EQ(new_file_commit(f, c.path, name, sizeof name), 0);
            EXPECT_STREQ(name, expected);
            EXPECT_EQ(kxtest::read_file(c.path), c.path);
        }
        EXPECT_EQ(kxtest::read_file(c.second), c.second);
    }
    EXPECT_EQ(kxtest::read_file("shot-2.bmp"), "kept");
    EXPECT_EQ(file_exists("shot.bmp.tmp"), 0);
    // Readers open only regular files: a FIFO would block in its open.
    ASSERT_EQ(mkfifo("pipe.rpl", 0644), 0);
    EXPECT_EQ(fopen_regular("pipe.rpl", "r"), nullptr);
    EXPECT_EQ(fopen_regular("dir.d", "r"), nullptr);
    FILE *f = fopen_regular("plain", "r");
    ASSERT_NE(f, nullptr);
    fclose(f);
}
