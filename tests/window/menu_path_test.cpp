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
    run.type("WWWWWWWW", 30);
    run.xdotool("key Return");
    usleep(300000);
    const Shot chat = run.screenshot();
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
    const Shot menu = run.screenshot();
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
    run.type("quit", 30);
    run.xdotool("key Return");
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
