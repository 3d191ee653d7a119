#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The menus in the running program: the main menu stops the world and
// shades the whole window over it, and '/' opens the chat input with the
// slash already typed, so a console command needs only its name.
namespace {

uint32_t le32(const std::string &b, size_t at)
{
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}

} // namespace

TEST(MenuPath, MainMenuShadesTheStoppedWorldAndSlashStartsACommand)
{
    GameRun run;
    ASSERT_TRUE(run.start({}, {"SDL_AUDIODRIVER=dummy"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
    run.xdotool("key Escape");     // past the welcome window
    usleep(300000);
    run.xdotool("keydown ctrl key m keyup ctrl");
    usleep(300000);
    run.xdotool("key F8");
    std::string shot;
    for (int t = 0; t < 100 && shot.empty(); t++, usleep(50000))
        if (std::filesystem::is_directory(run.path("screenshots")))
            for (const auto &e : std::filesystem::directory_iterator(run.path("screenshots")))
                shot = e.path().string();
    ASSERT_FALSE(shot.empty()) << run.err();
    usleep(200000);
    const std::string bmp = kxtest::read_file(shot);
    ASSERT_GT(bmp.size(), 54u);
    const int w = (int)le32(bmp, 18), h = (int)le32(bmp, 22);
    const size_t pitch = ((size_t)w * 3 + 3) & ~(size_t)3;
    auto pixel = [&](int x, int y, int c) {     // rows bottom-up, blue first
        return (int)(uint8_t)bmp[le32(bmp, 10) + (size_t)(h - 1 - y) * pitch + (size_t)x * 3 + (size_t)c];
    };
    // Sky and floor alike under one dark shade.
    for (int c = 0; c < 3; c++) {
        EXPECT_LT(pixel(5, 5, c), 96) << c;
        EXPECT_EQ(pixel(5, 5, c), pixel(5, h - 5, c)) << c;
    }

    run.xdotool("key Escape");
    usleep(300000);
    run.xdotool("key slash");
    usleep(300000);
    run.xdotool("type --delay 30 quit");
    run.xdotool("key Return");
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
