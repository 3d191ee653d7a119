#include "app/quit_watchdog.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

typedef std::chrono::steady_clock Clock;

struct EndSaveSlot {
    void (*fn)(void);
    bool done;
};

// Held while a save of the end runs; the watchdog keeps it once it has
// taken over, so that the main thread, should it wake up, saves nothing
// more before the process ends.
std::timed_mutex g_save_lock;
EndSaveSlot g_saves[END_SAVE_KINDS];

std::thread g_thread;
std::mutex g_mutex;
std::condition_variable g_wake;
bool g_stop;
int (*g_asked)(void);
std::atomic<int> g_phase{0};     // WatchPhase

// Only write(2): the main thread may hold the lock of a stdio stream.
void say(const char *text)
{
    const ssize_t n = write(2, text, strlen(text));
    (void)n;
}

[[noreturn]] void force_end(void)
{
    say(g_phase == PHASE_ENDING ? "The program did not shut down in time after the quit request: ending it\n"
                                : "A script is stuck and keeps the program from quitting: saving and ending it\n");
    if (g_save_lock.try_lock_for(std::chrono::seconds(2))) {
        for (EndSaveSlot &s : g_saves) {
            if (s.fn && !s.done) {
                s.fn();
                s.done = true;
            }
        }
    } else {
        say("A save is still running: ending without the remaining saves\n");
    }
    _exit(0);
}

// The deadline runs from the quit request, or from the start of the loop
// when the request came during start-up (making the window can take a
// while), and again from the end of the loop for the shutdown.
void watch(void)
{
    typedef std::chrono::milliseconds Ms;
    std::unique_lock<std::mutex> lock(g_mutex);
    bool asked = false;
    int phase = PHASE_STARTING;
    Clock::time_point deadline;
    while (!g_stop) {
        g_wake.wait_for(lock, Ms(50));
        if (g_stop)
            break;
        const Clock::time_point now = Clock::now();
        if (!asked && g_asked && g_asked()) {
            asked = true;
            deadline = now + Ms(phase == PHASE_STARTING  ? QUIT_STARTUP_MS
                                 : phase == PHASE_LOOPING ? QUIT_WATCHDOG_MS
                                                          : QUIT_SHUTDOWN_MS);
        }
        const int seen = g_phase;
        if (seen != phase) {
            phase = seen;
            if (phase == PHASE_ENDING)
                deadline = now + Ms(QUIT_SHUTDOWN_MS);
            else if (now + Ms(QUIT_WATCHDOG_MS) < deadline)
                deadline = now + Ms(QUIT_WATCHDOG_MS);
        }
        if (asked && now >= deadline)
            force_end();
    }
}

} // namespace

void end_save_arm(int kind, void (*fn)(void))
{
    if (kind < 0 || kind >= END_SAVE_KINDS)
        return;
    std::lock_guard<std::timed_mutex> hold(g_save_lock);
    g_saves[kind].fn = fn;
    g_saves[kind].done = false;
}

void end_save_run(int kind)
{
    if (kind < 0 || kind >= END_SAVE_KINDS)
        return;
    std::lock_guard<std::timed_mutex> hold(g_save_lock);
    EndSaveSlot &s = g_saves[kind];
    if (s.fn && !s.done) {
        s.fn();
        s.done = true;
    }
}

void quit_watchdog_start(int (*asked)(void))
{
    if (g_thread.joinable())
        return;
    // A process that ends through exit() stops the thread first (its
    // objects are destroyed after the handlers run).
    static bool at_exit;
    if (!at_exit)
        at_exit = atexit(quit_watchdog_stop) == 0;
    g_stop = false;
    g_asked = asked;
    g_phase = PHASE_STARTING;
    g_thread = std::thread(watch);
}

void quit_watchdog_stop(void)
{
    if (!g_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(g_mutex);
        g_stop = true;
    }
    g_wake.notify_all();
    g_thread.join();
}

void quit_watchdog_phase(int phase)
{
    g_phase = phase;
}
