#include "app/main_loop.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include "app/base/text.h"
#include "app/window_hooks.h"

static int g_running = 1;
static volatile sig_atomic_t g_quit_signal;
// Raised by every way of asking to quit and never lowered: read by the
// quit watchdog's thread (and set in the signal handler: a lock-free atomic).
static std::atomic<int> g_quit_asked{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler sets it");
static int g_caption_frames = 1;
static unsigned g_caption_time;
static int g_caption_started;
static char g_version[128];

int main_loop_running(void) { return g_running; }
void main_loop_set_running(int on) { g_running = on; }
void quit_request(void)
{
    g_running = 0;
    g_quit_asked = 1;
}
void quit_request_from_signal(void)
{
    g_quit_signal = 1;
    g_quit_asked = 1;
}
int quit_was_requested(void) { return g_quit_asked.load(); }
void quit_requests_clear(void)
{
    g_quit_signal = 0;
    g_quit_asked = 0;
}

int quit_signal_pending(void) { return g_quit_signal != 0; }

int quit_requested(void)
{
    if (!g_running || g_quit_signal)
        return 1;
    WindowHooks *hooks = window_hooks();
    if (!hooks->quit_pending || !hooks->quit_pending())
        return 0;
    g_quit_asked = 1;      // the window's close request, still queued for the loop
    return 1;
}

int quit_signal_take(void)
{
    if (!g_quit_signal)
        return 0;
    g_quit_signal = 0;
    g_running = 0;
    return 1;
}

void caption_reset(void)
{
    g_caption_frames = 1;
    g_caption_started = 0;
}

int caption_frame(unsigned now, const char *version, char *dst, int size)
{
    if (!g_caption_started) {
        g_caption_started = 1;
        g_caption_time = now;
    }
    if (++g_caption_frames % 100 != 0)
        return 0;
    unsigned span = now - g_caption_time;
    if (span == 0)
        span = 1;
    snprintf(dst, (size_t)size, "KAELMUND %s fps:%.0f", version ? version : "", 100000.0 / span);
    g_caption_time = now;
    return 1;
}

void caption_set_version(const char *text) { n_strncpyz(g_version, text ? text : "", (int)sizeof g_version); }
const char *caption_version(void) { return g_version; }
