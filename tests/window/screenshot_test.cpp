#include <GL/glew.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "app/base/options.h"
#include "app/screenshot_sdl.h"
#include "gui/services/chat_log.h"
#include "support/test_support.h"
#include "window/gl_context.h"

// Screenshots from a real GL context: each written beside its name and
// moved to a free one (never over an earlier shot), the name reported in
// the console, and nothing left behind when the disk is full.
namespace {

size_t files_in(const std::string &dir)
{
    size_t n = 0;
    for (const auto &e : std::filesystem::recursive_directory_iterator(dir))
        n += e.is_regular_file();
    return n;
}

// F8's shot, with what the console said of it.
std::string f8_console()
{
    kxtest::TempDir elsewhere;    // not on a disk the test fills
    console_capture_open(elsewhere.file("console.txt").c_str());
    take_screenshot();
    kxtest::stderr_of([] { screenshot_flush(); });
    console_capture_close();
    return kxtest::read_file(elsewhere.file("console.txt"));
}

} // namespace

TEST(Screenshot, ShotsNeverReplaceEachOtherAndAFullDiskLeavesNoFile)
{
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    option_set(OPT_WIDTH, 64);
    option_set(OPT_HEIGHT, 64);
    kxtest::SmallDisk disk(256);
    kxtest::TempDir plain;
    kxtest::ScopedChdir cd(disk.ok() ? disk.path() : plain.path());
    char first[SCREENSHOT_NAME_SIZE], second[SCREENSHOT_NAME_SIZE];
    ASSERT_EQ(save_bmp("shots/x.bmp", first, sizeof first), 0);
    const std::string kept = kxtest::read_file(first);
    EXPECT_EQ(kept.size(), 54u + 64 * 64 * 3);
    ASSERT_EQ(save_screenshot_as("shots/x.bmp", 1, second, sizeof second), 0);
    EXPECT_STREQ(first, "shots/x.bmp");
    EXPECT_STREQ(second, "shots/x-2.bmp");
    EXPECT_EQ(kxtest::read_file(second).rfind("P6\n64 64\n255\n", 0), 0u);
    EXPECT_EQ(kxtest::read_file(first), kept);

    // F8: the name carries the date down to the second.
    const time_t now = time(nullptr);
    struct tm tm;
    localtime_r(&now, &tm);
    char day[64];
    strftime(day, sizeof day, "Wrote screenshots/screenshot-%Y-%m-%d-", &tm);
    const std::string said = f8_console();
    EXPECT_NE(said.find(day), std::string::npos) << said;
    EXPECT_EQ(files_in("screenshots"), 1u);
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();

    if (!disk.ok())
        GTEST_SKIP() << "no small file system of our own: mounting a tmpfs needs root";
    ASSERT_TRUE(kxtest::fill_disk("filler"));
    EXPECT_NE(save_bmp("shots/x.bmp", first, sizeof first), 0);
    EXPECT_NE(f8_console().find("Unable to write screenshots/screenshot-"), std::string::npos);
    EXPECT_EQ(files_in("shots") + files_in("screenshots"), 3u);   // no empty, partial or temporary file
    EXPECT_EQ(kxtest::read_file("shots/x.bmp"), kept);
    std::filesystem::remove("filler");
}
