#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The menus in the running program: a chat line is drawn from the chat's
// off-screen cache where the chat sits, the main menu stops the world and
// shades the whole window over it, and '/' opens the chat input with the
// slash already typed, so a console command needs only its name.
namespace {

uint32_t le32(const std::string &b, size_t at)
{
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}

struct Shot {
    std::string bmp;
    int w = 0, h = 0;
    int at(int x, int y, int c) const     // rows bottom-up, blue first
    {
        const size_t pitch = ((size_t)w * 3 + 3) & ~(size_t)3;
        return (int)(uint8_t)bmp[le32(bmp, 10) + (size_t)(h - 1 - y) * pitch + (size_t)x * 3 + (size_t)c];
    }
};

// F8 and the new file it writes (names carry the second: one per second).
Shot screenshot(GameRun &run)
{
    std::set<std::string> before;
    if (std::filesystem::is_directory(run.path("screenshots")))
        for (const auto &e : std::filesystem::directory_iterator(run.path("screenshots")))
            before.insert(e.path().string());
    sleep(1);
    run.xdotool("key F8");
    std::string file;
    for (int t = 0; t < 100 && file.empty(); t++, usleep(50000))
        if (std::filesystem::is_directory(run.path("screenshots")))
            for (const auto &e : std::filesystem::directory_iterator(run.path("screenshots")))
                if (!before.count(e.path().string()))
                    file = e.path().string();
    usleep(200000);
    Shot s;
    s.bmp = kxtest::read_file(file);
    if (s.bmp.size() > 54) {
        s.w = (int)le32(s.bmp, 18);
        s.h = (int)le32(s.bmp, 22);
    }
    return s;
}

} // namespace

TEST(MenuPath, ChatFromItsCacheMainMenuShadesTheStoppedWorldSlashStartsACommand)
{
    GameRun run;
    ASSERT_TRUE(run.start({}, {"SDL_AUDIODRIVER=dummy"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
    run.xdotool("key Escape");     // past the welcome window
    usleep(300000);
    run.xdotool("key t");
    usleep(300000);
    run.xdotool("type --delay 30 WWWWWWWW");
    run.xdotool("key Return");
    usleep(300000);
    const Shot chat = screenshot(run);
    ASSERT_GT(chat.w, 0) << run.err();
    // Dark text (the player's own line in dark blue) over the light sky
    // where the chat's first line sits.
    int dark = 0;
    for (int y = 80; y < 96; y++)
        for (int x = 8; x < 80; x++)
            dark += chat.at(x, y, 1) < 100 && chat.at(x, y, 2) < 100;     // green, red
    EXPECT_GT(dark, 20);

    run.xdotool("keydown ctrl key m keyup ctrl");
    usleep(300000);
    const Shot menu = screenshot(run);
    ASSERT_GT(menu.w, 0) << run.err();
    // Sky and floor alike under one dark shade.
    for (int c = 0; c < 3; c++) {
        EXPECT_LT(menu.at(5, 5, c), 96) << c;
        EXPECT_EQ(menu.at(5, 5, c), menu.at(5, menu.h - 5, c)) << c;
    }

    run.xdotool("key Escape");
    usleep(300000);
    run.xdotool("key slash");
    usleep(300000);
    run.xdotool("type --delay 30 quit");
    run.xdotool("key Return");
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
