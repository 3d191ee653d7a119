#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "game/match_rules.h"
#include "gui/chat_text.h"
#include "gui/services/console_commands.h"
#include "app/base/temp_names.h"
#include "app/base/text.h"
#include "support/test_support.h"

using kxtest::read_file;
using kxtest::ScopedChdir;
using kxtest::TempDir;
using kxtest::write_file;

namespace {

std::vector<std::string> console_lines()
{
    std::vector<std::string> out;
    for (int i = 0; i < chat_line_count(0); i++)
        out.push_back(chat_text(0, i));
    return out;
}

bool has_line(const std::string &text)
{
    for (const std::string &l : console_lines())
        if (l == text)
            return true;
    return false;
}

} // namespace

TEST(ConsoleCommands, RunCommandTellsLocalFromOtherLines)
{
    chat_init();
    EXPECT_EQ(run_command(""), 1);
    EXPECT_EQ(run_command("   "), 1);
    EXPECT_EQ(run_command("/"), 1);
    EXPECT_EQ(run_command("hello there"), 1);
    EXPECT_EQ(run_command(nullptr), 1);
    EXPECT_EQ(chat_line_count(0), 0);
    // `set` without a value is a local command that refuses with its usage.
    EXPECT_EQ(run_command("/set matchframes"), 0);
    EXPECT_TRUE(has_line("usage: set <rule> <value>"));
    EXPECT_EQ(run_command("  SET  "), 0);
    std::string huge(CONSOLE_LINE_SIZE + 10, 'a');
    EXPECT_EQ(run_command(("set " + huge).c_str()), 0);
    EXPECT_TRUE(has_line("Command line too long"));
}

TEST(ConsoleCommands, OutputCaptureGoesToTheFileNotTheConsole)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    chat_init();
    EXPECT_EQ(run_command("set nosuchrule 5 > out.txt"), 0);
    EXPECT_EQ(read_file(dir.file("out.txt")), "No such option nosuchrule\n");
    EXPECT_EQ(chat_line_count(0), 0);
    EXPECT_FALSE(console_capture_active());

    // An unknown command opens no file.
    EXPECT_EQ(run_command("nosuch > never.txt"), 1);
    struct stat st;
    EXPECT_NE(stat(dir.file("never.txt").c_str(), &st), 0);

    // Names that leave the folder are refused (also from a server's RUN line).
    mkdir(dir.file("sub").c_str(), 0755);
    ScopedChdir cd2(dir.file("sub"));
    for (const char *name : {"../escape.txt", "/tmp/kx_escape.txt", "", "..\\escape.txt", ".hidden"})
        EXPECT_EQ(run_command((std::string("set x 1 >") + (*name ? " " : "") + name).c_str()), 0) << name;
    EXPECT_NE(stat(dir.file("escape.txt").c_str(), &st), 0);
    EXPECT_NE(stat(dir.file("sub/.hidden").c_str(), &st), 0);
    EXPECT_TRUE(has_line("Unable to open ../escape.txt"));
}

TEST(ConsoleCommands, ExecFileRunsEachLineAndSkipsOverlongOnesWhole)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    chat_init();
    // The tail of a long line must not run as a command of its own.
    std::string longline = "set x " + std::string(2100, 'y') + " > stolen.txt";
    std::string exact = "set y " + std::string(CONSOLE_FILE_LINE - 6, 'z');
    ASSERT_EQ(exact.size(), (size_t)CONSOLE_FILE_LINE);
    write_file(dir.file("cmds.kxs"), "  set nosuchrule 1  \r\n\n# a comment\n" + longline + "\n" + exact +
                                         "\nfrobnicate now\nset last 2"); // no line end at the end
    exec_file("cmds.kxs");
    // The echo of the longest line is cut to a chat line; the command ran whole.
    std::vector<std::string> expect = {
        "set nosuchrule 1", "No such option nosuchrule", "cmds.kxs: line 4 too long, skipped",
        exact.substr(0, CHAT_LINE_UNITS - 1), "No such option y",
        "frobnicate now", "Unknown command frobnicate now", "set last 2", "No such option last",
    };
    EXPECT_EQ(console_lines(), expect);
    struct stat st;
    EXPECT_NE(stat(dir.file("stolen.txt").c_str(), &st), 0);

    chat_init();
    exec_file("missing.kxs");
    EXPECT_EQ(console_lines(), std::vector<std::string>{"Unable to open missing.kxs"});
}

// Captured output is written beside its name and never replaces a file the
// player kept: typed, from a command file, into a folder; a server's line
// (run_server_command) captures nothing at all.
TEST(ConsoleCommands, CapturedOutputNeverReplacesAFileAndAServerWritesNone)
{
    TempDir dir, outside;
    ScopedChdir cd(dir.path());
    chat_init();
    mkdir("replay", 0755);
    const std::string replay(14013, 'r');
    write_file("replay/mine.rpl", replay);
    EXPECT_EQ(run_command("/set nosuch 1 > replay/mine.rpl"), 0);
    EXPECT_EQ(read_file("replay/mine.rpl"), replay);
    EXPECT_EQ(read_file("replay/mine-2.rpl"), "No such option nosuch\n");
    EXPECT_TRUE(has_line("replay/mine.rpl is kept; the output went to replay/mine-2.rpl"));

    // From a command file, twice more: each capture takes the next name.
    write_file("cmds.kxs", "set a 1 > replay/mine.rpl\nset b 2 > replay/mine.rpl\n");
    exec_file("cmds.kxs");
    EXPECT_EQ(read_file("replay/mine-3.rpl"), "No such option a\n");
    EXPECT_EQ(read_file("replay/mine-4.rpl"), "No such option b\n");
    EXPECT_EQ(read_file("replay/mine.rpl"), replay);

    // Hostile things at the capture's own name or at its temporary name.
    ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);
    char out_temp[300];
    ASSERT_EQ(temp_name_beside(out_temp, sizeof out_temp, "out.txt", 1), 1);
    ASSERT_EQ(mkfifo(out_temp, 0644), 0);
    write_file(outside.file("kept.txt"), "OUTSIDE\n");
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), "link.txt"), 0);
    ASSERT_EQ(symlink(outside.file("made.txt").c_str(), "dangling.txt"), 0);
    kxtest::stderr_of([] {
        for (const char *name : {"fifo.txt", "out.txt", "link.txt", "dangling.txt"})
            EXPECT_EQ(run_command((std::string("set c 3 > ") + name).c_str()), 0) << name;
    });
    EXPECT_EQ(read_file("fifo-2.txt"), "No such option c\n");
    EXPECT_EQ(read_file("out.txt"), "No such option c\n");
    EXPECT_EQ(read_file("link-2.txt"), "No such option c\n");
    EXPECT_EQ(read_file("dangling-2.txt"), "No such option c\n");
    EXPECT_EQ(read_file(outside.file("kept.txt")), "OUTSIDE\n");
    struct stat st;
    EXPECT_NE(stat(outside.file("made.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO((lstat(out_temp, &st), st.st_mode)));

    // A folder that leads out of the run folder through a link.
    ASSERT_EQ(symlink(outside.path().c_str(), "away"), 0);
    EXPECT_EQ(run_command("set d 4 > away/x.txt"), 0);
    EXPECT_TRUE(has_line("Unable to open away/x.txt"));
    EXPECT_NE(stat(outside.file("x.txt").c_str(), &st), 0);

    // A server's line that asks for a file is refused whole.
    EXPECT_EQ(run_server_command("set matchframes 777 > replay/mine.rpl"), 0);
    EXPECT_TRUE(has_line("A server may not write files: set refused"));
    EXPECT_NE(stat("replay/mine-5.rpl", &st), 0);
    EXPECT_NE(get_next_match_rules()->matchframes, 777);
    EXPECT_EQ(read_file("replay/mine.rpl"), replay);
    EXPECT_EQ(run_server_command("nosuch > x.txt"), 1);
    EXPECT_FALSE(console_capture_active());
}
