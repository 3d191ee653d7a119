#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/base/file_list.h"
#include "app/base/platform_fs.h"
#include "support/test_support.h"

using kxtest::TempDir;
using kxtest::write_file;

static std::vector<std::string> names_of(const FileList &l)
{
    std::vector<std::string> v;
    for (int i = 0; i < l.count; i++)
        v.push_back(l.items[i]);
    return v;
}

TEST(FileList, TwentyFiveMatchingFilesComeBackSorted)
{
    TempDir dir;
    // Made in an order unlike the sorted one.
    for (int i = 24; i >= 0; i--)
        write_file(dir.file("match" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".rpl"), "");
    write_file(dir.file("other.txt"), "");
    FileList list;
    EXPECT_EQ(list.capacity, 20);
    EXPECT_EQ(list_directory(&list, dir.path().c_str(), "rpl"), 25);
    EXPECT_EQ(list.count, 25);
    EXPECT_EQ(list.capacity, 40);
    for (int i = 0; i < 25; i++)
        EXPECT_EQ(std::string(list.items[i]),
                  "match" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".rpl");
}

TEST(FileList, SortOrderIsCaseInsensitiveThenBytewise)
{
    TempDir dir;
    for (const char *n : {"b.rpl", "B.rpl", "a.rpl", "C.rpl", "_x.rpl", "a.rpl.bak"})
        write_file(dir.file(n), "");
    mkdir(dir.file("rpl_folder").c_str(), 0755);
    FileList list;
    EXPECT_EQ(list_directory(&list, dir.path().c_str(), "rpl"), 7);
    // Substring match: the backup and the folder are kept too.
    EXPECT_EQ(names_of(list), (std::vector<std::string>{"_x.rpl", "a.rpl", "a.rpl.bak", "B.rpl", "b.rpl",
                                                         "C.rpl", "rpl_folder"}));
}

TEST(FileList, LongNamesAreSkippedAndARescanReplaces)
{
    TempDir dir;
    write_file(dir.file(std::string(58, 'n') + ".rpl"), "");  // 62 characters: kept
    write_file(dir.file(std::string(59, 'n') + ".rpl"), "");  // 63: skipped
    write_file(dir.file(std::string(150, 'n') + ".rpl"), ""); // far longer: skipped
    FileList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(list_directory(&list, dir.path().c_str(), "rpl"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(strlen(list.items[0]), 62u);
    EXPECT_EQ(list_directory(&list, dir.path().c_str(), "rpl"), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list_directory(&list, dir.path().c_str(), "nothing"), 0);
    EXPECT_EQ(list.count, 0);
}

TEST(FileList, ProgramListsScanTheirFolders)
{
    TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("replay", 0755);
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    write_file("replay/one.rpl", "");
    write_file("replay/two.rpl", "");
    write_file("data/mod/m.kxm", "");
    EXPECT_EQ(scan_replay_dir(), 2);
    EXPECT_EQ(scan_mod_dir(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(scan_script_dir(), -1);
    EXPECT_EQ(scan_shader_dir(), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(get_file_count(FILE_LIST_REPLAYS), 2);
    EXPECT_EQ(get_file_count(FILE_LIST_SCRIPTS), -1);
    EXPECT_STREQ(get_file_list(FILE_LIST_REPLAYS)->items[0], "one.rpl");
    EXPECT_STREQ(get_file_list(FILE_LIST_MODS)->items[0], "m.kxm");
    EXPECT_EQ(get_file_list(4), nullptr);
    EXPECT_EQ(get_file_list(-1), nullptr);
}

TEST(PlatformFs, ListingLeavesOutDotEntriesAndReportsMissingFolders)
{
    TempDir dir;
    write_file(dir.file("z"), "");
    write_file(dir.file("A"), "");
    DirListing *d = dir_open(dir.path().c_str());
    ASSERT_TRUE(d);
    EXPECT_STREQ(dir_next(d), "A");
    EXPECT_STREQ(dir_next(d), "z");
    EXPECT_EQ(dir_next(d), nullptr);
    EXPECT_EQ(dir_close(d), 0);
    EXPECT_EQ(dir_open(dir.file("missing").c_str()), nullptr);
    EXPECT_EQ(dir_close(nullptr), -1);
}
