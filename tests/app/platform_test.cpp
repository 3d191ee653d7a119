// The user folder, the program's folder and the shell launch.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/base/data_dirs.h"
#include "app/base/shell_launch.h"
#include "support/test_support.h"

using kxtest::TempDir;

static std::string cwd()
{
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

TEST(DataDirs, UserFolderFollowsTheEnvironment)
{
    TempDir dir;
    std::string appdata = dir.file("appdata/deeper");
    setenv("APPDATA", appdata.c_str(), 1);
    EXPECT_EQ(data_dirs_init(), 0);
    EXPECT_EQ(std::string(user_dir()), appdata + "/Kaelmund");
    struct stat st;
    EXPECT_EQ(stat(user_dir(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    // Without it the user folder is the program's own, and nothing is
    // made under the player's home or data folder.
    unsetenv("APPDATA");
    setenv("XDG_DATA_HOME", dir.file("xdg").c_str(), 1);
    setenv("HOME", dir.file("home").c_str(), 1);
    EXPECT_EQ(data_dirs_init(), 0);
    EXPECT_STREQ(user_dir(), ".");
    EXPECT_NE(stat(dir.file("xdg").c_str(), &st), 0);
    EXPECT_NE(stat(dir.file("home").c_str(), &st), 0);
    setenv("APPDATA", "", 1);
    EXPECT_EQ(data_dirs_init(), 0);
    EXPECT_STREQ(user_dir(), ".");

    EXPECT_STREQ(data_path("replay/x.rpl"), "replay/x.rpl");
}

TEST(DataDirs, ChangesIntoTheProgramsFolder)
{
    TempDir dir;
    kxtest::ScopedChdir back(dir.path());
    EXPECT_EQ(chdir_to_exe_dir(nullptr), 0);
    EXPECT_TRUE(kxtest::read_file("kx_tests_app").size() > 0); // we are beside the test binary
    EXPECT_EQ(chdir_to_exe_dir(dir.file("some/file").c_str()), 1);
    mkdir(dir.file("sub").c_str(), 0755);
    EXPECT_EQ(chdir_to_exe_dir(dir.file("sub/kaelmund").c_str()), 0);
    char real[PATH_MAX];
    ASSERT_TRUE(realpath(dir.file("sub").c_str(), real));
    EXPECT_EQ(cwd(), std::string(real));
}

static int g_leaves;
static void count_leave() { g_leaves++; }

// A fake xdg-open on PATH that records its arguments.
struct FakeOpener {
    TempDir dir;
    std::string old_path;
    FakeOpener()
    {
        std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                             dir.file("args.tmp") + "\nmv " + dir.file("args.tmp") + " " + dir.file("args") + "\n";
        kxtest::write_file(dir.file("xdg-open"), script);
        chmod(dir.file("xdg-open").c_str(), 0755);
        old_path = getenv("PATH") ? getenv("PATH") : "";
        setenv("PATH", (dir.path() + ":" + old_path).c_str(), 1);
    }
    ~FakeOpener() { setenv("PATH", old_path.c_str(), 1); }
    std::string wait_args()
    {
        for (int i = 0; i < 5000; i++) {
            std::string s = kxtest::read_file(dir.file("args"));
            if (!s.empty())
                return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return "";
    }
};

TEST(ShellLaunch, OpensTheTargetWithoutAShellRefusesBadOnesAndReportsAMissingOpener)
{
    FakeOpener fake;
    g_leaves = 0;
    shell_set_leave_fullscreen(count_leave);
    const char *target = "http://example.org/a b;echo hi&x=$(id)";
    EXPECT_GT(shell_open_url(target, 0), 32);
    EXPECT_EQ(fake.wait_args(), std::string(target) + "\n");
    EXPECT_EQ(g_leaves, 1);
    // Null, option-like and empty targets are refused; full screen is
    // left first even then, and the opener is not started.
    std::remove(fake.dir.file("args").c_str());
    EXPECT_EQ(shell_open_url(nullptr, 0), 3);
    EXPECT_EQ(g_leaves, 2);
    testing::internal::CaptureStderr();
    EXPECT_LE(shell_open_url("--help", 0), 32);
    EXPECT_LE(shell_open_url("", 0), 32);
    testing::internal::GetCapturedStderr();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(kxtest::read_file(fake.dir.file("args")), "");
    shell_set_leave_fullscreen(nullptr);
    // With no opener on the path the launch fails and says so.
    setenv("PATH", fake.dir.file("none").c_str(), 1);   // the fake puts PATH back
    const std::string err = kxtest::stderr_of([] { EXPECT_LE(shell_open_url("http://example.org", 0), 32); });
    EXPECT_NE(err.find("Unable to start xdg-open"), std::string::npos) << err;
}
