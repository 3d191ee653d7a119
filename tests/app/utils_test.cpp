#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

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
