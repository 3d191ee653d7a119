// BOUT lines from the game server end in the game's bout records.
#include <gtest/gtest.h>

#include <string>

#include "game/protocol/command_table.h"
#include "game/game_state.h"

static void send_server(const std::string &line)
{
    parse_cmd(CMD_SOURCE_SERVER, line.c_str(), (int)line.size(), command_cursor(CMD_SOURCE_SERVER));
}

TEST(BoutCommit, CommittedListFillsTheBoutRecords)
{
    send_server("BOUT 0;11 100 2 50 1 0 ann 0\n");
    send_server("BOUT 3;12 200 5 70 0 0 bob 0\n");
    EXPECT_EQ(get_game_globals()->bouts_present, 0);
    send_server("BOUT -1;\n");
    EXPECT_EQ(get_game_globals()->bouts_present, 2);
    EXPECT_STREQ(get_bout(0)->name, "ann");
    EXPECT_EQ(get_bout(0)->qi, 100);
    EXPECT_EQ(get_bout(0)->flags, 1);
    EXPECT_STREQ(get_bout(3)->name, "bob");
    EXPECT_EQ(get_bout(3)->server_id, 12);
    EXPECT_EQ(get_bout(3)->streak, 5);
    EXPECT_EQ(get_bout(3)->winnings, 70);
    EXPECT_STREQ(get_bout(1)->name, "");
    // A new list replaces the old one whole.
    send_server("BOUT 1;13 0 0 0 0 0 cyd 0\n");
    send_server("BOUT -1;\n");
    EXPECT_EQ(get_game_globals()->bouts_present, 1);
    EXPECT_STREQ(get_bout(0)->name, "");
    EXPECT_STREQ(get_bout(1)->name, "cyd");
}
