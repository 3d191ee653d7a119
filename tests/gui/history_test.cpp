#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "gui/services/history.h"
#include "app/base/text.h"
#include "app/base/text_encoding.h"
#include "support/test_support.h"

using kxtest::read_file;
using kxtest::ScopedChdir;
using kxtest::TempDir;
using kxtest::write_file;

namespace {

void add(const std::string &text)
{
    uint16_t buf[HISTORY_LINE_UNITS * 2];
    local_to_utf16(buf, text.c_str(), (int)text.size(), HISTORY_LINE_UNITS * 2);
    history_add(buf);
}

std::string line(int i)
{
    char buf[HISTORY_LINE_UNITS * 3];
    utf16_to_local(buf, history_line(i), (int)(sizeof buf) - 1);
    return buf;
}

} // namespace

TEST(History, SavesAndLoads128Lines)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    for (int i = 0; i < 130; i++)
        add("typed " + std::to_string(i) + (i % 7 ? "" : " \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"));
    ASSERT_EQ(history_count(), HISTORY_LINES);
    EXPECT_EQ(line(0), "typed 2");
    history_save();

    history_clear();
    EXPECT_EQ(history_count(), 0);
    history_load();
    ASSERT_EQ(history_count(), HISTORY_LINES);
    for (int i = 0; i < HISTORY_LINES; i++) {
        int n = i + 2;
        EXPECT_EQ(line(i), "typed " + std::to_string(n) + (n % 7 ? "" : " \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"));
    }
    // Saving what was loaded gives the same file again.
    std::string first = read_file(dir.file("history.log"));
    history_save();
    EXPECT_EQ(read_file(dir.file("history.log")), first);
    struct stat st;
    EXPECT_NE(stat(dir.file("history.log.tmp").c_str(), &st), 0);
}

TEST(History, LoadSkipsEmptyLinesAndKeepsNewest)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    std::string file = "\n\r\nfirst\r\n\n";
    for (int i = 0; i < 140; i++)
        file += "n" + std::to_string(i) + "\n";
    file += "\nlast";                     // no line end
    write_file(dir.file("history.log"), file);
    history_load();
    ASSERT_EQ(history_count(), HISTORY_LINES);
    EXPECT_EQ(line(0), "n13");
    EXPECT_EQ(line(126), "n139");
    EXPECT_EQ(line(127), "last");
    EXPECT_EQ(history_line(128), nullptr);
    EXPECT_EQ(history_line(-1), nullptr);
}

TEST(History, LongLinesAreCutNotSplit)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    write_file(dir.file("history.log"), std::string(3000, 'q') + "\nafter\n");
    history_load();
    ASSERT_EQ(history_count(), 2);
    EXPECT_EQ(line(0), std::string(HISTORY_LINE_UNITS - 1, 'q'));
    EXPECT_EQ(line(1), "after");
}

TEST(History, FailedSaveKeepsTheOldFile)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    write_file(dir.file("history.log"), "old line\n");
    // The temporary name is taken by a folder: the write fails.
    mkdir(dir.file("history.log.tmp").c_str(), 0755);
    add("new line");
    testing::internal::CaptureStderr();
    history_save();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Unable to write"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("history.log")), "old line\n");
}
