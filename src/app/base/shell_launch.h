// Opening a web address or a document in the user's program for it.
#pragma once

// The window installs the function that leaves full screen (when in it), so
// that the browser is not hidden behind the game.
typedef void (*LeaveFullscreenFn)(void);
void shell_set_leave_fullscreen(LeaveFullscreenFn fn);

// Starts xdg-open on target (fork and exec, no shell in between) and does
// not wait for it. Returns 3 for a null target, 5 for a refused target (one
// that is empty or begins with '-', which xdg-open would read as an
// option), 2 when xdg-open could not be started, else a value above 32.
int shell_open_url(const char *target, int unused);
