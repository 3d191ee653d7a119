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

// The window the player looks at: shown (not iconified) with the keyboard
// focus.
static int window_active(void)
{
    const Uint8 state = SDL_GetAppState();
    return (state & SDL_APPACTIVE) && (state & SDL_APPINPUTFOCUS);
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
