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

void draw_red_frame()
{
    option_set(OPT_WIDTH, 64);
    option_set(OPT_HEIGHT, 64);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

size_t files_in(const std::string &dir)
{
    size_t n = 0;
    for (const auto &e : std::filesystem::recursive_directory_iterator(dir))
        n += e.is_regular_file();
    return n;
}

} // namespace

TEST(Screenshot, ShotsNeverReplaceEachOtherAndTheConsoleNamesThem)
{
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    draw_red_frame();
    char first[SCREENSHOT_NAME_SIZE], second[SCREENSHOT_NAME_SIZE], ppm[SCREENSHOT_NAME_SIZE];
    ASSERT_EQ(save_bmp("shots/x.bmp", first, sizeof first), 0);
    EXPECT_STREQ(first, "shots/x.bmp");
    const std::string bmp = kxtest::read_file(first);
    ASSERT_EQ(bmp.size(), 54u + 64 * 64 * 3);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ((unsigned char)bmp[54 + 2], 255);   // blue, green, red: red
    ASSERT_EQ(save_bmp("shots/x.bmp", second, sizeof second), 0);
    EXPECT_STREQ(second, "shots/x-2.bmp");
    ASSERT_EQ(save_screenshot_as("shots/x.bmp", 1, ppm, sizeof ppm), 0);
    EXPECT_STREQ(ppm, "shots/x-3.bmp");
    EXPECT_EQ(kxtest::read_file(ppm).rfind("P6\n64 64\n255\n", 0), 0u);
    EXPECT_EQ(kxtest::read_file(first), bmp);
    EXPECT_EQ(files_in("shots"), 3u);

    // F8: the name carries the date down to the second, the console the
    // name written.
    console_capture_open("console.txt");
    const time_t now = time(nullptr);
    take_screenshot();
    screenshot_flush();
    console_capture_close();
    struct tm tm;
    localtime_r(&now, &tm);
    char day[32];
    strftime(day, sizeof day, "%Y-%m-%d-", &tm);
    const std::string console = kxtest::read_file("console.txt");
    EXPECT_NE(console.find(std::string("Wrote screenshots/screenshot-") + day), std::string::npos) << console;
    EXPECT_EQ(files_in("screenshots"), 1u);
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

TEST(Screenshot, AFullDiskLeavesNoFileAndSaysSo)
{
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::SmallDisk disk(256);
    if (!disk.ok())
        GTEST_SKIP() << "no small file system of our own: mounting a tmpfs needs root";
    kxtest::ScopedChdir cd(disk.path());
    draw_red_frame();
    char name[SCREENSHOT_NAME_SIZE];
    ASSERT_EQ(save_bmp("screenshots/kept.bmp", name, sizeof name), 0);
    const std::string kept = kxtest::read_file(name);
    ASSERT_TRUE(kxtest::fill_disk("filler"));
    const std::string err = kxtest::stderr_of([&] {
        EXPECT_NE(save_bmp("screenshots/kept.bmp", name, sizeof name), 0);
        EXPECT_NE(save_ppm("screenshots/other.ppm", name, sizeof name), 0);
    });
    EXPECT_NE(err.find("cannot write screenshots/kept.bmp"), std::string::npos) << err;
    EXPECT_EQ(files_in("screenshots"), 1u);     // no empty or partial file, no temporary file
    EXPECT_EQ(kxtest::read_file("screenshots/kept.bmp"), kept);
    // The console hears of a failed F8 shot.
    kxtest::TempDir elsewhere;
    console_capture_open(elsewhere.file("console.txt").c_str());
    take_screenshot();
    kxtest::stderr_of([] { screenshot_flush(); });
    console_capture_close();
    std::filesystem::remove("filler");
    EXPECT_NE(kxtest::read_file(elsewhere.file("console.txt")).find("Unable to write screenshots/screenshot-"), std::string::npos);
}
