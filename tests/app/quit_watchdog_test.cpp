// The quit watchdog in a child process of its own (it ends the process):
// a main thread that never comes back after a quit request still lets the
// process end, with the saves of the end made once each.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "app/quit_watchdog.h"
#include "support/test_support.h"

namespace {

const char kDirEnv[] = "KX_WATCHDOG_DIR";

int always(void) { return 1; }

void append(const char *file, const char *line)
{
    std::ofstream(file, std::ios::app) << line << "\n";
}
void save_config(void) { append("config.txt", "config saved"); }
void save_history(void) { append("history.txt", "history saved"); }
void save_forever(void)
{
    append("config.txt", "config begun");
    for (;;)
        pause();
}

// The child's part; skipped unless the parent started it.
bool enter_child_folder(void)
{
    const char *dir = getenv(kDirEnv);
    if (!dir || chdir(dir) != 0)
        return false;
    alarm(60);      // a watchdog that never acts fails the test instead of hanging it
    return true;
}

} // namespace

TEST(QuitWatchdogChild, MainThreadStuckAfterTheQuitRequest)
{
    if (!enter_child_folder())
        GTEST_SKIP() << "run by QuitWatchdog tests";
    end_save_arm(END_SAVE_CONFIG, save_config);
    end_save_arm(END_SAVE_HISTORY, save_history);
    end_save_run(END_SAVE_HISTORY);     // made by the main thread before it got stuck
    quit_watchdog_start(always);
    quit_watchdog_phase(PHASE_LOOPING);
    for (;;)
        pause();
}

TEST(QuitWatchdogChild, MainThreadStuckInASave)
{
    if (!enter_child_folder())
        GTEST_SKIP() << "run by QuitWatchdog tests";
    end_save_arm(END_SAVE_CONFIG, save_forever);
    end_save_arm(END_SAVE_HISTORY, save_history);
    quit_watchdog_start(always);
    quit_watchdog_phase(PHASE_LOOPING);
    end_save_run(END_SAVE_CONFIG);
}

TEST(QuitWatchdog, EndsTheProcessWithTheSavesNotYetMade)
{
    kxtest::TempDir dir;
    EXPECT_EQ(kxtest::run_self("QuitWatchdogChild.MainThreadStuckAfterTheQuitRequest",
                               std::string(kDirEnv) + "=" + dir.path()), 0);
    EXPECT_EQ(kxtest::read_file(dir.file("config.txt")), "config saved\n");
    EXPECT_EQ(kxtest::read_file(dir.file("history.txt")), "history saved\n");
}

// A save that does not come back keeps the others from running at the same
// time: the process ends without them.
TEST(QuitWatchdog, EndsTheProcessWhileASaveHangs)
{
    kxtest::TempDir dir;
    EXPECT_EQ(kxtest::run_self("QuitWatchdogChild.MainThreadStuckInASave", std::string(kDirEnv) + "=" + dir.path()),
              0);
    EXPECT_EQ(kxtest::read_file(dir.file("config.txt")), "config begun\n");
    EXPECT_FALSE(std::ifstream(dir.file("history.txt")).good());
}
