#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The chat and its input line in the running program, through real X keys
// and the program's screenshots: typed text and window labels are dark on
// their light boxes, PageUp/Home/End move the chat over older lines, and
// Tab acts while the input line is open without taking its characters.
namespace {

// Hooks that report through log(); see write_event_script.
const char kScript[] = R"(
set_hook("console", function(text) log("console " .. text) end)
set_hook("key_up", function(key) log("key_up " .. key) end)
)";

bool dark(const Shot &s, int x, int y) { return s.at(x, y, 1) < 110 && s.at(x, y, 2) < 110; }

// Dark pixels in the rectangle.
int dark_in(const Shot &s, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1 && y < s.h; y++)
        for (int x = x0; x < x1 && x < s.w; x++)
            n += dark(s, x, y);
    return n;
}

// Dark letters on a window: black-ish pixels a few pixels from the
// window's own colour (guichan's base colour 0x808090).
int dark_on_window(const Shot &s)
{
    auto window = [&](int x, int y) {
        return x >= 0 && x < s.w && s.at(x, y, 0) == 0x90 && s.at(x, y, 1) == 0x80 && s.at(x, y, 2) == 0x80;
    };
    int n = 0;
    for (int y = 0; y < s.h; y++)
        for (int x = 0; x < s.w; x++)
            if (s.at(x, y, 0) < 60 && s.at(x, y, 1) < 60 && s.at(x, y, 2) < 60)
                for (int d = 1; d <= 4; d++)
                    if (window(x - d, y) || window(x + d, y)) {
                        n++;
                        break;
                    }
    return n;
}

// The right end of the dark pixels of the chat's rows (-1 for none), left
// of the fighters.
int chat_right_end(const Shot &s, int rows)
{
    int right = -1;
    for (int y = 80; y < 80 + rows * 15 && y < s.h; y++)
        for (int x = 8; x < 360 && x < s.w; x++)
            if (dark(s, x, y) && x > right)
                right = x;
    return right;
}

// n wide letters, W and M in turn: no letter repeats the one before it, so
// each line is typed in one run (see GameRun::type).
std::string wide_letters(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += i % 2 ? 'M' : 'W';
    return s;
}

} // namespace

TEST(ChatInput, TypedTextLabelsScrollKeysAndTabAreSeen)
{
    GameRun run;
    run.write_event_script(kScript);
    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
    run.xdotool("key Escape");      // past the welcome window
    usleep(300000);

    // Eight lines of 3, 6, ... 24 wide letters: the chat shows the newest
    // five. The keypad's Enter opens the input line and Return sends it, so
    // that no two presses of one key come back to back.
    for (int k = 1; k <= 8; k++) {
        run.xdotool("key KP_Enter");
        run.type(wide_letters(3 * k));
        run.xdotool("key Return");
    }
    ASSERT_TRUE(run.wait_text("data/events.log", "console " + wide_letters(24)))
        << kxtest::read_file(run.path("data/events.log")) << run.err();
    const Shot newest = run.screenshot();
    ASSERT_GT(newest.w, 0) << run.err();
    const int newest_end = chat_right_end(newest, 5);
    EXPECT_GT(newest_end, 8 + 21 * 8);

    // PageUp past the view's top: older (shorter) lines.
    for (int k = 0; k < 7; k++)
        run.xdotool("key Prior");
    const Shot older = run.screenshot();
    const int older_end = chat_right_end(older, 5);
    EXPECT_GT(older_end, 0);
    EXPECT_LT(older_end, newest_end - 3 * 8);
    run.xdotool("key Home");
    const int top_end = chat_right_end(run.screenshot(), 5);
    EXPECT_LT(top_end, older_end);
    // End: the newest lines again (the screenshots' own notices by now).
    run.xdotool("key End");
    EXPECT_GT(chat_right_end(run.screenshot(), 5), older_end);

    // The input line: Tab shows more lines, the typed text stays dark in
    // the field, Return sends it.
    run.xdotool("key Return");
    usleep(200000);
    run.xdotool("key Tab");
    run.type("hello");
    const Shot typing = run.screenshot();
    const int field_top = typing.h - 15 - 12;
    EXPECT_GT(dark_in(typing, 10, field_top, 80, typing.h - 8), 60) << "the typed text is not seen";
    EXPECT_GT(dark_in(typing, 8, 80 + 5 * 15 + 2, 400, 80 + 8 * 15), 20) << "Tab showed no more lines";
    run.xdotool("key Return");
    EXPECT_TRUE(run.wait_text("data/events.log", "console hello")) << run.err();
    // The Return that sent the line is heard by the script as it comes up.
    EXPECT_TRUE(run.wait_text("data/events.log", "console hello\nkey_up 13\n"))
        << kxtest::read_file(run.path("data/events.log"));

    // A window's label: dark letters on the window.
    run.xdotool("keydown ctrl key h keyup ctrl");
    usleep(300000);
    const Shot help = run.screenshot();
    EXPECT_GT(dark_on_window(help), 100) << "the label is not seen";

    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
