// A game server's RUN lines through the program's tick, from the tests' own
// server on 127.0.0.1: the commands that write files or end the program are
// refused with a message naming them, while the other commands run; the
// console and command files keep every command.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "game/match_rules.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "gui/services/menu_state.h"
#include "net/game_connection.h"
#include "support/loopback_server.h"
#include "support/test_support.h"

namespace {

using kxtest::kind_of;

uint32_t g_now = 5000;
uint32_t test_clock() { return g_now; }

struct RunProgram {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    RunProgram()
    {
        for (const char *d : {"replay", "raytrace", "data", "data/shader"})
            mkdir(d, 0755);
        clock_set_source(test_clock);
        EXPECT_EQ(program_create_objects(), 0);
        options_load();
        menu_set_state(0);
        // The program starts again in this process: an earlier test's quit
        // is not this one's.
        quit_requests_clear();
        main_loop_set_running(1);
    }
    ~RunProgram()
    {
        program_destroy_objects();
        clock_set_source(nullptr);
    }
};

std::string console_text()
{
    std::string all;
    for (int i = 0; i < chat_line_count(0); i++) {
        ChatLine line;
        chat_line_copy(0, i, &line);
        for (const uint16_t *u = line.text; *u; u++)
            all += (char)*u;
        all += "\n";
    }
    return all;
}

bool tick_until(const std::function<bool()> &done, int max_ticks = 2000)
{
    for (int k = 0; k < max_ticks; k++) {
        if (done())
            return true;
        kxtest::wait_readable(net_socket_fd(net_game_socket()), 1);
        on_tick(0);
        g_now += 16;
    }
    return done();
}

// The names in a folder, hidden ones too.
std::string names_in(const std::string &folder)
{
    std::string all;
    for (const char *n : {"s1.pov", "s1-1.pov", "e1.inc", "e1-1.inc", "x.txt"})
        if (kind_of(folder + "/" + n) != "none")
            all += std::string(n) + " ";
    return all;
}

} // namespace

TEST(ServerRunLines, CommandsThatWriteFilesOrEndTheProgramAreRefusedAndTheRestRun)
{
    RunProgram program;
    kxtest::LoopbackServer server;
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    ASSERT_TRUE(server.send("RUN 0; raytrace s1.pov\n"
                            "RUN 0; exportworldshader e1.inc\n"
                            "RUN 0;/RAYTRACE s1.pov\n"
                            "RUN 0; quit\n"
                            "RUN 0; exit\n"
                            "RUN 0; Quit > x.txt\n"
                            "RUN 0; set nosuch 1 > x.txt\n"
                            "RUN 0; worldshader 3 0.25\n"
                            "RUN 0; set matchframes 321\n"));
    ASSERT_TRUE(tick_until([] { return get_next_match_rules()->matchframes == 321; })) << console_text();
    const std::string said = console_text();
    EXPECT_EQ(said,
              "A server may not write files: raytrace refused\n"
              "A server may not write files: exportworldshader refused\n"
              "A server may not write files: raytrace refused\n"
              "A server may not end the program: quit refused\n"
              "A server may not end the program: quit refused\n"
              "A server may not write files: quit refused\n"
              "A server may not write files: set refused\n");
    EXPECT_EQ(quit_was_requested(), 0);
    EXPECT_EQ(main_loop_running(), 1);
    EXPECT_EQ(names_in("raytrace") + names_in("data/shader") + names_in("."), "");
    EXPECT_TRUE(net_game_connected());

    // The same commands typed into the console, and from a command file.
    EXPECT_EQ(run_command("/raytrace s1.pov"), 0);
    EXPECT_EQ(run_command("exportworldshader e1.inc"), 0);
    kxtest::write_file("cmds.kxs", "raytrace s1.pov\n");
    exec_file("cmds.kxs");
    EXPECT_EQ(names_in("raytrace"), "s1.pov s1-1.pov ") << console_text();
    EXPECT_EQ(names_in("data/shader"), "e1.inc ") << console_text();
    EXPECT_EQ(quit_was_requested(), 0);
    EXPECT_EQ(run_command("quit"), 0);
    EXPECT_EQ(quit_was_requested(), 1);
    EXPECT_EQ(main_loop_running(), 0);
}

// Every row of the console's table, run from a server with an argument it
// takes: nothing is written and the program goes on; the rows marked as
// reaching beyond the game are the ones refused.
TEST(ServerRunLines, NoRowOfTheTableWritesOrEndsFromAServer)
{
    RunProgram program;
    const char *args[] = {"matchframes 100", "row.txt", "row.pov", "3 0.5", "row.inc", "row.inc"};
    int row = 0;
    for (const ConsoleCommand *c = console_commands; c->name; c++, row++) {
        SCOPED_TRACE(c->name);
        ASSERT_LT(row, (int)(sizeof args / sizeof *args)) << "a new row needs an argument here";
        chat_init();
        EXPECT_EQ(run_server_command((std::string(c->name) + " " + args[row]).c_str()), 0);
        const bool refused = console_text().find(std::string(": ") + c->name + " refused") != std::string::npos;
        EXPECT_EQ(refused, c->reach != 0) << console_text();
        EXPECT_EQ(quit_was_requested(), 0);
        for (const char *folder : {".", "raytrace", "data/shader"})
            for (const char *name : {"row.txt", "row.pov", "row.inc"})
                EXPECT_EQ(kind_of(std::string(folder) + "/" + name), "none") << folder << "/" << name;
    }
}
