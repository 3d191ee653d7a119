// The watchdog over the program's end. A script can be stuck where the quit
// check does not reach it (inside a C function of the Lua libraries), and
// then the main loop never ends. Once a quit has been asked for (a signal,
// the window's close request, the quit command) and the main loop has not
// ended within QUIT_WATCHDOG_MS (a request during start-up: of the loop's
// start, or QUIT_STARTUP_MS at most), or the shutdown after the loop within
// QUIT_SHUTDOWN_MS, the watchdog makes the saves of the program's end that
// have not been made and ends the process with _exit.
//
// The saves of the end (the configuration, the typed-line history) go
// through end_save_run on the main thread, so that each is made once and
// never by both threads at the same time. A save is armed only once what it
// writes has been loaded: before that, writing it would replace the file
// with defaults. The saves read the option table, the configuration table
// and the history, which the stuck main thread is not changing: scripts
// change them only through functions that return before the script goes
// on, and the stuck places (library functions in C) touch none of them.
#pragma once

enum {
    QUIT_WATCHDOG_MS = 3000,     // from the quit request to the end of the main loop
    QUIT_STARTUP_MS = 10000,     // the same for a request before the loop runs
    QUIT_SHUTDOWN_MS = 15000,    // from the end of the main loop to the end of the process
};

// Where the program is: the watchdog's deadline depends on it.
enum WatchPhase { PHASE_STARTING, PHASE_LOOPING, PHASE_ENDING };

enum EndSave { END_SAVE_CONFIG, END_SAVE_HISTORY, END_SAVE_KINDS };

// Arms (fn) or disarms (null) a save of the end; arming makes it due again.
void end_save_arm(int kind, void (*fn)(void));
// Makes the save now unless it is not armed or was made already.
void end_save_run(int kind);

// Starts the watchdog thread; asked tells it whether a quit was asked for
// (read from the watchdog's thread: it must be safe there). Stops it
// again (and joins it) at the end of a normal run.
void quit_watchdog_start(int (*asked)(void));
void quit_watchdog_stop(void);
// The main loop starts (PHASE_LOOPING) or has ended (PHASE_ENDING).
void quit_watchdog_phase(int phase);
