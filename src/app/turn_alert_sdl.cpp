#include "app/turn_alert_sdl.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

static int g_alert;

// Sets or clears the urgency hint; nothing without an X11 window.
static void set_urgency(int on)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
        return;
    info.info.x11.lock_func();
    Display *d = info.info.x11.display;
    XWMHints *hints = XGetWMHints(d, info.info.x11.wmwindow);
    XWMHints fresh = {};
    XWMHints *h = hints ? hints : &fresh;
    if (on)
        h->flags |= XUrgencyHint;
    else
        h->flags &= ~XUrgencyHint;
    XSetWMHints(d, info.info.x11.wmwindow, h);
    if (hints)
        XFree(hints);
    XFlush(d);
    info.info.x11.unlock_func();
}

// Where the X server sends the keys: one of SDL's windows (the managed
// window, the full-screen one or the drawing window inside them), or, with
// the focus following the pointer, the window under the pointer. SDL's own
// record of the focus starts as "focused" and changes only with a focus
// event, which a window that never had the focus does not get.
static int x11_keys_come_here(const SDL_SysWMinfo &info)
{
    Display *d = info.info.x11.display;
    const Window mine[3] = {info.info.x11.wmwindow, info.info.x11.fswindow, info.info.x11.window};
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == PointerRoot) {
        Window root, child;
        int rx, ry, x, y;
        unsigned mask;
        XWindowAttributes a;
        if (!XQueryPointer(d, mine[2], &root, &child, &rx, &ry, &x, &y, &mask) ||
            !XGetWindowAttributes(d, mine[2], &a))
            return 0;
        return x >= 0 && y >= 0 && x < a.width && y < a.height;
    }
    for (Window w : mine)
        if (focus != None && focus == w)
            return 1;
    return 0;
}

// The window the player looks at: shown (not iconified) and given the
// keys. Without an X11 window SDL's record of the focus is all there is.
static int window_active(void)
{
    const Uint8 state = SDL_GetAppState();
    if (!(state & SDL_APPACTIVE))
        return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
        return (state & SDL_APPINPUTFOCUS) != 0;
    info.info.x11.lock_func();
    const int here = x11_keys_come_here(info);
    info.info.x11.unlock_func();
    return here;
}

void turn_alert_set(void)
{
    // The player already looks at the game: nothing to call them back to.
    if (window_active())
        return;
    g_alert = 1;
    set_urgency(1);
}

void turn_alert_update(void)
{
    if (g_alert && !window_active())
        set_urgency(1);
}

void turn_alert_clear(void)
{
    if (g_alert)
        set_urgency(0);
    g_alert = 0;
}

int turn_alert_on(void) { return g_alert; }
