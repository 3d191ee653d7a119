// The real program in a run folder of its own, on an X server of its own
// (so tests that move the pointer or the focus never meet): the folder is
// made, the program started with arguments and environment entries, its
// window found by process id, and real input sent with xdotool.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/test_support.h"

// A screenshot the program wrote (a 24-bit BMP); w is 0 when none came.
struct Shot {
    std::string bmp;
    int w = 0, h = 0;
    // Channel c (0 blue, 1 green, 2 red) of pixel (x, y), y from the top.
    int at(int x, int y, int c) const;
};

class GameRun {
public:
    GameRun();
    // A second copy of the program in first's run folder, on an X server
    // of its own; its output goes to stdout<tag>.txt and stderr<tag>.txt.
    GameRun(const GameRun &first, const std::string &tag);
    ~GameRun();
    GameRun(const GameRun &) = delete;
    GameRun &operator=(const GameRun &) = delete;

    const std::string &dir() const { return dir_; }
    std::string path(const std::string &rel) const { return dir_ + "/" + rel; }
    void write(const std::string &rel, const std::string &text);
    // Writes data/script/startup.lua: a Lua function log(text) that appends
    // a line to data/events.log (read back with wait_text), then hooks.
    void write_event_script(const std::string &hooks);
    // Starts the program; false when it could not be started.
    bool start(const std::vector<std::string> &args, const std::vector<std::string> &env = {});
    // Starts the program, waits for its window, gives it the keys and
    // leaves the welcome menu for the game; false when a step fails.
    bool start_in_game(const std::vector<std::string> &args = {});
    // Waits until the window's caption starts with prefix; false on time-out
    // or when the program ended.
    bool wait_caption(const std::string &prefix, int timeout_ms = 30000);
    std::string caption();
    void window_size(int *w, int *h);
    // Waits until the file holds needle; false on time-out.
    bool wait_text(const std::string &rel, const std::string &needle, int timeout_ms = 20000);
    // The window manager's close request (the program sees SDL_QUIT).
    void close_window();
    void terminate();
    // The exit status, -1 on time-out or a signal.
    int wait_exit(int timeout_ms = 20000);
    std::string err() const { return kxtest::read_file(path("stderr" + tag_ + ".txt")); }
    // The program's process id while it runs, else -1.
    pid_t pid() const { return game_; }
    unsigned long window_id() const { return window_; }
    // The run's private X server, as a DISPLAY value.
    const std::string &display() const { return display_; }
    // xdotool with these arguments on this run's display; its status.
    int xdotool(const std::string &args);
    // Types text with xdotool, a run of its own wherever a character repeats
    // the one before it (see xdotool()).
    void type(const std::string &text, int delay_ms = 20);
    // Reads "key value" lines the test scripts write (the last one wins).
    std::string value(const std::string &rel, const std::string &key);
    // F8 and the new file it writes (names carry the second: one a second).
    Shot screenshot();

private:
    unsigned long find_window();
    bool start_x_server();
    kxtest::TempDir run_;
    std::string dir_ = run_.path();   // the run folder: run_, or a first copy's
    std::string tag_;
    pid_t xvfb_ = -1, game_ = -1;
    std::string display_;
    void *dpy_ = nullptr;
    unsigned long window_ = 0;
};
