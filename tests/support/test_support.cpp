#include "support/test_support.h"
#include <gtest/gtest.h>
#include "app/base/options.h"
#include "app/services/services_callbacks.h"
#include "game/game_callbacks.h"
#include "game/match_rules.h"
#include "game/protocol/protocol_callbacks.h"
#include "render/render_callbacks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>
#include <limits.h>

extern char **environ;

// Every test program runs with the callback table filled as the program
// fills it, so that the game's hooks, messages, sounds and colours reach the
// layers above as they do in the game.
// Matches that end in a test save no replay into the folder the tests run
// in: a test that wants the automatic save turns it on in a folder of its own.
static const bool g_callbacks_installed = [] {
    protocol_install_callbacks();
    services_install_callbacks();
    render_install_callbacks();
    option_set(OPT_AUTOSAVE, 0);
    return true;
}();

namespace {

// A test program runs many tests in one process (a developer runs a binary
// whole, or several tests with a filter), and the program's state lives in
// global records. Every test starts from the state the process had before
// its first test: the environment, the options, the callback table and the
// current folder as they were then (programs a test starts inherit the
// environment), and no rule locked by a configuration file or a replay read
// before. The fixtures build the world and the match on top.
class FreshStart : public testing::EmptyTestEventListener {
public:
    void OnTestProgramStart(const testing::UnitTest &) override
    {
        char buf[PATH_MAX];
        if (getcwd(buf, sizeof buf))
            folder_ = buf;
        for (int i = 0; i < OPTION_COUNT; i++)
            options_[i] = option_get(i);
        callbacks_ = *game_callbacks();
        for (char **e = environ; *e; e++)
            environment_.push_back(*e);
    }
    void OnTestStart(const testing::TestInfo &) override
    {
        restore_environment();
        if (!folder_.empty() && chdir(folder_.c_str()) != 0)
            perror("chdir back to the tests' folder");
        for (int i = 0; i < OPTION_COUNT; i++)
            option_table()[i].value = options_[i];
        *game_callbacks() = callbacks_;
        rules_clear_config_locks();
        rules_clear_replay_locks();
    }

private:
    // Only what differs is changed: the variables set since are removed, and
    // the ones changed or removed get their value back.
    void restore_environment()
    {
        std::vector<std::string> extra;
        for (char **e = environ; *e; e++) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool kept = false;
            for (const std::string &was : environment_)
                kept = kept || was.compare(0, name.size() + 1, name + "=") == 0;
            if (!kept)
                extra.push_back(name);
        }
        for (const std::string &name : extra)
            unsetenv(name.c_str());
        for (const std::string &was : environment_) {
            const size_t eq = was.find('=');
            const std::string name = was.substr(0, eq);
            const char *now = getenv(name.c_str());
            if (!now || was.compare(eq + 1, std::string::npos, now) != 0)
                setenv(name.c_str(), was.c_str() + eq + 1, 1);
        }
    }

    std::vector<std::string> environment_;
    std::string folder_;
    int options_[OPTION_COUNT] = {};
    GameCallbacks callbacks_ = {};
};

const bool g_fresh_start_listening = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FreshStart);
    return true;
}();

} // namespace

#ifdef KX_SANITIZE
// The leak check at exit reads each thread's dynamic TLS blocks as the
// __tls_get_addr interceptor recorded them. For a block that happens to
// start 16 bytes into a page, this toolchain's interceptor takes the two
// words before it (here an allocator header) for an old glibc's block
// header, and the check later scans from a wild address and dies ("Tracer
// caught signal 11") after every test has passed. Without the interceptor
// the blocks are still found: glibc allocates them on the heap and reaches
// them from the thread's static TLS, which the check reads. Programs the
// tests start get the same setting through the environment.
extern "C" const char *__asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

static const bool g_children_skip_tls_interceptor = [] {
    const char *old = getenv("ASAN_OPTIONS");
    std::string opts = "intercept_tls_get_addr=0";
    if (old && *old)
        opts += std::string(":") + old;
    setenv("ASAN_OPTIONS", opts.c_str(), 1);
    return true;
}();
#endif

namespace kxtest {

static int remove_entry(const char *path, const struct stat *, int, struct FTW *)
{
    return ::remove(path);
}

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/kxtest.XXXXXX";
    char buf[PATH_MAX];
    snprintf(buf, sizeof buf, "%s", templ.c_str());
    if (!mkdtemp(buf))
        throw std::runtime_error("mkdtemp failed");
    path_ = buf;
}

TempDir::~TempDir()
{
    nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

ScopedChdir::ScopedChdir(const std::string &dir)
{
    char buf[PATH_MAX];
    if (getcwd(buf, sizeof buf))
        old_ = buf;
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir()
{
    if (!old_.empty() && chdir(old_.c_str()) != 0)
        perror("chdir back");
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string temp_by(const std::string &folder, const std::string &name, long pid, unsigned long long start, int n)
{
    return folder + "/." + name + ".kaelmund-" + std::to_string(pid) + "-" + std::to_string(start) + "-" +
           std::to_string(n) + ".tmp";
}

long ended_pid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

std::string kind_of(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return "none";
    return S_ISLNK(st.st_mode) ? "link" : S_ISFIFO(st.st_mode) ? "fifo" : S_ISDIR(st.st_mode) ? "dir" : "file";
}

std::string stderr_of(const std::function<void()> &fn)
{
    testing::internal::CaptureStderr();
    fn();
    return testing::internal::GetCapturedStderr();
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

int run_self(const std::string &gtest_filter, const std::string &env_entry)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return -1;
    self[n] = '\0';
    std::vector<char *> env;
    for (char **e = environ; *e; e++)
        env.push_back(*e);
    env.push_back(const_cast<char *>(env_entry.c_str()));
    env.push_back(nullptr);
    std::string filter = "--gtest_filter=" + gtest_filter;
    char *argv[] = {self, &filter[0], nullptr};
    pid_t pid;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, env.data()) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long fuzz_scale()
{
    const char *env = getenv("KX_FUZZ_SCALE");
    const long scale = env && *env ? strtol(env, nullptr, 10) : 1;
    return scale < 1 || scale > 10000 ? 1 : scale;
}

QuietStreams::QuietStreams(bool stdout_too)
{
    fflush(stdout);
    fflush(stderr);
    const int null = open("/dev/null", O_WRONLY);
    if (stdout_too) {
        out_ = dup(1);
        dup2(null, 1);
    }
    err_ = dup(2);
    dup2(null, 2);
    close(null);
}

QuietStreams::~QuietStreams()
{
    fflush(stdout);
    fflush(stderr);
    if (out_ >= 0) {
        dup2(out_, 1);
        close(out_);
    }
    dup2(err_, 2);
    close(err_);
}

SmallDisk::SmallDisk(int size_kb)
{
    const std::string options = "size=" + std::to_string(size_kb) + "k";
    ok_ = mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (ok_)
        umount2(dir_.path().c_str(), MNT_DETACH);
}

bool fill_disk(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    setvbuf(f, nullptr, _IONBF, 0);
    static const char block[4096] = {};
    while (fwrite(block, 1, sizeof block, f) == sizeof block) {
    }
    while (fwrite(block, 1, 1, f) == 1) {
    }
    const bool full = errno == ENOSPC;
    fclose(f);
    return full;
}

FileSizeLimit::FileSizeLimit(long bytes)
{
    struct rlimit r;
    if (getrlimit(RLIMIT_FSIZE, &r) == 0) {
        cur_ = (unsigned long long)r.rlim_cur;
        max_ = (unsigned long long)r.rlim_max;
    }
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    r.rlim_cur = (rlim_t)bytes;
    r.rlim_max = (rlim_t)max_;
    setrlimit(RLIMIT_FSIZE, &r);
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit r;
    r.rlim_cur = (rlim_t)cur_;
    r.rlim_max = (rlim_t)max_;
    setrlimit(RLIMIT_FSIZE, &r);
    signal(SIGXFSZ, old_handler_);
}

} // namespace kxtest
