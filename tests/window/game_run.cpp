#include "window/game_run.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <set>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
namespace fs = std::filesystem;

static void sleep_ms(int ms) { usleep((useconds_t)ms * 1000); }

// Windows come and go while the tree is read: a request on one that is
// gone is not a failure of the test.
static int ignore_x_error(Display *, XErrorEvent *) { return 0; }

// Starts Xvfb on a free display (it writes the number to the pipe);
// true when a connection to it is open.
bool GameRun::start_x_server()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::string fd = std::to_string(fds[1]);
    const char *argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                          "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&xvfb_, "Xvfb", &fa, nullptr, const_cast<char **>(argv), environ) != 0)
        xvfb_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    std::string number;
    char c;
    while (xvfb_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!number.empty()) {
        display_ = ":" + number;
        dpy_ = XOpenDisplay(display_.c_str());
    }
    if (dpy_)
        return true;
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
        xvfb_ = -1;
    }
    return false;
}

// A private X server; servers started at the same moment may race for a
// display number, so a failed start is tried again.
static bool start_with_retries(const std::function<bool()> &start)
{
    for (int i = 0; i < 5; i++) {
        if (start())
            return true;
        sleep_ms(200);
    }
    return false;
}

GameRun::GameRun(const GameRun &first, const std::string &tag) : dir_(first.dir_), tag_(tag)
{
    if (start_with_retries([this] { return start_x_server(); }))
        XSetErrorHandler(ignore_x_error);
}

GameRun::GameRun()
{
    if (start_with_retries([this] { return start_x_server(); }))
        XSetErrorHandler(ignore_x_error);
    // The run folder: the program beside its data, a script folder of the
    // test's own and the folders the game writes into.
    const std::string run = std::string(KX_RUN_DIR);
    fs::copy_file(run + "/kaelmund", path("kaelmund"));
    fs::permissions(path("kaelmund"), fs::perms::owner_all);
    for (const char *d : {"data", "data/script", "replay"})
        fs::create_directories(path(d));
    for (const char *d : {"data/sounds", "data/fonts"})
        fs::create_directory_symlink(run + "/" + d, path(d));
    fs::copy_file(run + "/data/script/startup.lua", path("data/script/startup.lua"));
}

GameRun::~GameRun()
{
    if (game_ > 0) {
        kill(game_, SIGKILL);
        waitpid(game_, nullptr, 0);
    }
    if (dpy_)
        XCloseDisplay((Display *)dpy_);
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
}

void GameRun::write(const std::string &rel, const std::string &text) { kxtest::write_file(path(rel), text); }

void GameRun::write_event_script(const std::string &hooks)
{
    write("data/script/startup.lua", R"(
local function log(text)
    local f = io.open("data/events.log", "a")
    f:write(text, "\n")
    f:close()
end
)" + hooks);
}

bool GameRun::start(const std::vector<std::string> &args, const std::vector<std::string> &env)
{
    if (!dpy_) {
        fprintf(stderr, "no X server for the program\n");
        return false;
    }
    // The given entries first: the first of two equal names is the one read.
    std::vector<std::string> all_env = env;
#ifdef KX_SANITIZE
    // The X library and the GL driver keep a few blocks to the end of the
    // process (and the driver is unloaded by then, so they cannot be named
    // in a suppression); the program's own leaks are the headless tests'.
    all_env.push_back("ASAN_OPTIONS=detect_leaks=0");
#endif
    for (std::string e : {"DISPLAY=" + display_, std::string("SDL_AUDIODRIVER=dummy"), "HOME=" + dir(),
                          "XDG_DATA_HOME=" + dir() + "/user", std::string("PATH=/usr/bin:/bin")})
        all_env.push_back(e);
    std::vector<char *> envp, argv;
    for (std::string &e : all_env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::string exe = path("kaelmund");
    std::vector<std::string> all_args = args;
    argv.push_back(&exe[0]);
    for (std::string &a : all_args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, path("stdout" + tag_ + ".txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&fa, 2, path("stderr" + tag_ + ".txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const int r = posix_spawn(&game_, exe.c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (r != 0) {
        fprintf(stderr, "cannot start %s: %s\n", exe.c_str(), strerror(r));
        game_ = -1;
    }
    return r == 0;
}

// The top-level window whose _NET_WM_PID is the program's.
unsigned long GameRun::find_window()
{
    Display *d = (Display *)dpy_;
    Window root_ret, parent, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root_ret, &parent, &children, &n))
        return 0;
    const Atom pid_atom = XInternAtom(d, "_NET_WM_PID", False);
    unsigned long found = 0;
    for (unsigned int i = 0; i < n && !found; i++) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(d, children[i], pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data) == Success && data && items == 1) {
            if ((pid_t) * (unsigned long *)data == game_)
                found = children[i];
        }
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return found;
}

std::string GameRun::caption()
{
    if (!window_ && !(window_ = find_window()))
        return "";
    char *name = nullptr;
    std::string s;
    if (XFetchName((Display *)dpy_, window_, &name) && name) {
        s = name;
        XFree(name);
    } else {
        window_ = 0;    // gone (the program made its window again): look anew
    }
    return s;
}

bool GameRun::wait_caption(const std::string &prefix, int timeout_ms)
{
    for (int t = 0; t < timeout_ms; t += 50) {
        if (caption().rfind(prefix, 0) == 0)
            return true;
        if (game_ > 0 && waitpid(game_, nullptr, WNOHANG) == game_) {
            game_ = -1;
            return false;
        }
        sleep_ms(50);
    }
    return false;
}

void GameRun::window_size(int *w, int *h)
{
    XWindowAttributes a = {};
    if (window_)
        XGetWindowAttributes((Display *)dpy_, window_, &a);
    *w = a.width;
    *h = a.height;
}

bool GameRun::wait_text(const std::string &rel, const std::string &needle, int timeout_ms)
{
    for (int t = 0; t < timeout_ms; t += 50) {
        if (kxtest::read_file(path(rel)).find(needle) != std::string::npos)
            return true;
        sleep_ms(50);
    }
    return false;
}

void GameRun::close_window()
{
    Display *d = (Display *)dpy_;
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = window_;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window_, False, NoEventMask, &e);
    XFlush(d);
}

void GameRun::terminate()
{
    if (game_ > 0)
        kill(game_, SIGTERM);
}

int GameRun::wait_exit(int timeout_ms)
{
    for (int t = 0; game_ > 0 && t < timeout_ms; t += 20) {
        int status = 0;
        if (waitpid(game_, &status, WNOHANG) == game_) {
            game_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        sleep_ms(20);
    }
    return -1;
}

// SDL takes a key's release followed within 2 ms by a press of the same
// key for the keyboard's auto-repeat and drops both. A busy X server can
// stamp the events of two quick xdotool runs with the same time, so that
// "key Return" twice (send a line, open the next) read as one held key:
// each run is given time of its own before the next one starts.
bool GameRun::start_in_game(const std::vector<std::string> &args)
{
    if (!start(args) || !wait_caption("KAELMUND 3.9-alpha2 fps:"))
        return false;
    if (xdotool("windowfocus --sync " + std::to_string(window_id())) != 0)
        return false;
    xdotool("key Escape");   // from the welcome menu to the game
    return true;
}

int GameRun::xdotool(const std::string &args)
{
    const std::string cmd = "DISPLAY=" + display_ + " xdotool " + args + " >/dev/null 2>&1";
    const int status = system(cmd.c_str());
    usleep(30000);
    return status;
}

void GameRun::type(const std::string &text, int delay_ms)
{
    size_t from = 0;
    while (from < text.size()) {
        size_t to = from + 1;
        while (to < text.size() && text[to] != text[to - 1])
            to++;
        std::string quoted = "'";
        for (char c : text.substr(from, to - from))
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        xdotool("type --delay " + std::to_string(delay_ms) + " " + quoted + "'");
        from = to;
    }
}

std::string GameRun::value(const std::string &rel, const std::string &key)
{
    std::istringstream in(kxtest::read_file(path(rel)));
    std::string line, found;
    while (std::getline(in, line))
        if (line.rfind(key + " ", 0) == 0)
            found = line.substr(key.size() + 1);
    return found;
}

static uint32_t le32(const std::string &b, size_t at)
{
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}

int Shot::at(int x, int y, int c) const     // rows bottom-up, blue first
{
    const size_t pitch = ((size_t)w * 3 + 3) & ~(size_t)3;
    return (int)(uint8_t)bmp[le32(bmp, 10) + (size_t)(h - 1 - y) * pitch + (size_t)x * 3 + (size_t)c];
}

Shot GameRun::screenshot()
{
    std::set<std::string> before;
    if (fs::is_directory(path("screenshots")))
        for (const auto &e : fs::directory_iterator(path("screenshots")))
            before.insert(e.path().string());
    sleep(1);
    xdotool("key F8");
    std::string file;
    for (int t = 0; t < 100 && file.empty(); t++, usleep(50000))
        if (fs::is_directory(path("screenshots")))
            for (const auto &e : fs::directory_iterator(path("screenshots")))
                // The finished picture, never the temporary file it is
                // written to first.
                if (!before.count(e.path().string()) && e.path().extension() == ".bmp")
                    file = e.path().string();
    usleep(200000);
    Shot s;
    s.bmp = kxtest::read_file(file);
    if (s.bmp.size() > 54) {
        s.w = (int)le32(s.bmp, 18);
        s.h = (int)le32(s.bmp, 22);
    }
    return s;
}
