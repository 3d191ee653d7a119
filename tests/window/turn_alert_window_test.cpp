// The turn alert on the real window (Xvfb): the urgency hint starts only
// while the window is not the active one; with the keys going to the game
// (its focus, or the pointer on it while the focus follows the pointer) the
// player already looks at it.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "app/turn_alert_sdl.h"
#include "window/game_run.h"
#include "window/gl_context.h"

namespace {

// The window as SDL made it, on SDL's own display connection.
struct X11Window {
    SDL_SysWMinfo info;
    Display *d = nullptr;
    Window w = 0;
};

bool x11_window(X11Window *x)
{
    SDL_VERSION(&x->info.version);
    if (SDL_GetWMInfo(&x->info) != 1 || x->info.subsystem != SDL_SYSWM_X11)
        return false;
    x->d = x->info.info.x11.display;
    x->w = x->info.info.x11.wmwindow;
    return true;
}

bool urgent(const X11Window &x)
{
    x.info.info.x11.lock_func();
    XWMHints *h = XGetWMHints(x.d, x.w);
    const bool on = h && (h->flags & XUrgencyHint);
    if (h)
        XFree(h);
    x.info.info.x11.unlock_func();
    return on;
}

// Gives the keyboard focus to `to` and waits until SDL has seen the
// window gain (or lose) it.
bool move_focus(const X11Window &x, Window to, bool window_has_it)
{
    x.info.info.x11.lock_func();
    XSetInputFocus(x.d, to, RevertToPointerRoot, CurrentTime);
    XSync(x.d, False);
    x.info.info.x11.unlock_func();
    for (int k = 0; k < 300; k++) {
        SDL_PumpEvents();
        if (((SDL_GetAppState() & SDL_APPINPUTFOCUS) != 0) == window_has_it)
            return true;
        SDL_Delay(10);
    }
    return false;
}

} // namespace

TEST(TurnAlertWindow, StartsOnlyWhileTheWindowIsNotActive)
{
    // The focus and the pointer belong to the whole display: the window
    // goes on an X server of its own, where no other test moves them.
    GameRun run;
    ASSERT_FALSE(run.display().empty());
    const char *shared = getenv("DISPLAY");
    const std::string kept = shared ? shared : "";
    struct Restore {
        const std::string &display;
        ~Restore() { display.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", display.c_str(), 1); }
    } restore{kept};
    setenv("DISPLAY", run.display().c_str(), 1);
    // The window goes before its server does: a window kept open on a
    // server that ended ends the next test that draws.
    struct CloseWindow {
        ~CloseWindow() { kxtest::close_gl_window(); }
    } close_window;
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    X11Window x;
    ASSERT_TRUE(x11_window(&x));
    turn_alert_clear();

    ASSERT_TRUE(move_focus(x, x.w, true));
    turn_alert_set();
    EXPECT_FALSE(urgent(x));
    EXPECT_EQ(turn_alert_on(), 0);
    turn_alert_update();
    EXPECT_FALSE(urgent(x));

    ASSERT_TRUE(move_focus(x, DefaultRootWindow(x.d), false));
    turn_alert_set();
    EXPECT_TRUE(urgent(x));
    EXPECT_EQ(turn_alert_on(), 1);
    turn_alert_clear();
    EXPECT_FALSE(urgent(x));
    EXPECT_EQ(turn_alert_on(), 0);

    // The focus following the pointer (as a fresh server has it): the keys
    // go where the pointer is.
    x.info.info.x11.lock_func();
    XSetInputFocus(x.d, PointerRoot, RevertToPointerRoot, CurrentTime);
    XWarpPointer(x.d, None, x.info.info.x11.window, 0, 0, 0, 0, 32, 32);
    XSync(x.d, False);
    x.info.info.x11.unlock_func();
    turn_alert_set();
    EXPECT_FALSE(urgent(x));
    x.info.info.x11.lock_func();
    XWarpPointer(x.d, None, DefaultRootWindow(x.d), 0, 0, 0, 0, 1000, 1000);
    XSync(x.d, False);
    x.info.info.x11.unlock_func();
    turn_alert_set();
    EXPECT_TRUE(urgent(x));
    turn_alert_clear();
}
