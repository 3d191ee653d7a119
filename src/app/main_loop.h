// The record of callbacks the main loop drives the game through, and the
// loop's running flag. The program fills the record at start-up and hands
// it to the window; every slot may be null.
#pragma once

struct MainLoopCallbacks {
    void (*init)(void);                                   // once before the first pass
    void (*tick)(int arg);                                // once or twice per displayed frame
    int (*key)(int sym, int unicode, int mods, int pressed);  // non-zero: handled
    void (*mouse_button)(int type, int button, int x, int y); // type 5 down, 6 up
    void (*pick)(int mods, int pressed, const double *near_pt, const double *far_pt,
                 int x, int y);
    void (*quit)(void);                                   // once after the loop
};

// The loop runs while this is non-zero.
int main_loop_running(void);
void main_loop_set_running(int on);
// Ends the loop after the current pass (console command, menu, SIGTERM).
void quit_request(void);
// Async-signal-safe: only raises a flag that the next pass reads.
void quit_request_from_signal(void);
// Moves a pending signal request into the running flag; 1 when there was one.
int quit_signal_take(void);
// 1 while a signal's quit request waits to be taken (it is left in place).
int quit_signal_pending(void);
// Whether the program has been asked to quit by any means (the running flag,
// a signal, the window's close request): what a script that runs too long
// is stopped by.
int quit_requested(void);
// 1 once the program has been asked to quit by any means, for good; safe
// to call from any thread (the quit watchdog reads it).
int quit_was_requested(void);
// Lowers every quit request, as at the start of the process: for a program
// whose objects are made again in the same process (the tests do).
void quit_requests_clear(void);

// The caption's frame counter and frames-per-second: counts one displayed
// frame at time now (ms); every 100th frame writes "KAELMUND <version>
// fps:<n>" into dst and returns 1, else returns 0. A zero interval counts as
// one millisecond.
int caption_frame(unsigned now, const char *version, char *dst, int size);
void caption_reset(void);
// The version text shown after "KAELMUND" (set by the start-up profile).
void caption_set_version(const char *text);
const char *caption_version(void);
