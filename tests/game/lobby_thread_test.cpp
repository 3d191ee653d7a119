// The lobby reader's thread dispatches room lines while the main thread
// plays a match: the rooms get their rules, the match keeps its own.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/base/threads.h"
#include "game/protocol/command_table.h"
#include "match_fixture.h"
#include "net/records/server_list.h"

namespace {

enum { ROOMS = 24 };

std::vector<std::string> g_lines;
size_t g_next;
CommandCursor g_cursor;

void lobby_init(void) { command_cursor_reset(&g_cursor); }
void lobby_step(void)
{
    const std::string &l = g_lines[g_next++];
    parse_cmd(CMD_SOURCE_LOBBY, l.c_str(), (int)l.size(), &g_cursor);
}
int lobby_more(void) { return g_next < g_lines.size(); }

} // namespace

class LobbyThread : public MatchTest {};

TEST_F(LobbyThread, RoomRulesArriveWhileAMatchPlaysAndLeaveItsRulesAlone)
{
    for (int i = 0; i < ROOMS; i++) {
        g_lines.push_back("KAELMUND 0;\n");
        g_lines.push_back("SERVER 0;127.0.0.1:20184 room" + std::to_string(i) + "\n");
        // An old-format line: 10 fields, turns of 33 frames.
        g_lines.push_back("NEWGAME 0;" + std::to_string(640 + i) + " 33 20 0 0 3 100 0 0 classic\n");
    }
    auto rooms = std::make_unique<ServerList>();
    set_lobby_handler_target(rooms.get());
    WorkerThread lobby(lobby_init, lobby_step, lobby_more, 1);
    ASSERT_EQ(lobby.start(), 0);

    // The main thread starts its own matches from NEWGAME lines (as a replay
    // or the game server would) and plays them, turns of 10 frames.
    MatchRules mine;
    fill_default_rules(0, &mine);
    const std::string own = make_newgame_line(0, &mine);
    int turns = 0;
    while (lobby.is_running() && turns < 2000) {
        if (turns % 4 == 0) {
            MatchRules r{};
            parse_newgame_line(own.c_str() + own.find(';') + 1, &r);
            new_match(0, 0, &r, 0);
        }
        EXPECT_EQ(play_turn(turns++, 0), 10);
    }
    for (int k = 0; k < 20000 && lobby.is_running(); k++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    lobby.stop();
    EXPECT_GT(turns, 0);

    ASSERT_EQ(rooms->count(), ROOMS);
    for (int i = 0; i < ROOMS; i++) {
        RoomEntry e;
        ASSERT_EQ(rooms->copy_entry(i, &e), 0);
        EXPECT_EQ(e.has_rules, 1);
        EXPECT_EQ(e.rules.matchframes, 640 + i);
        EXPECT_EQ(e.rules.turnframe_list[0], 33);
        EXPECT_EQ(e.rules.flags, 3);
    }
    // The match's turn length, old-format flags and locks are its own.
    EXPECT_EQ(rules_nominal_turn_length(), 10);
    EXPECT_FALSE(rules_gravity_from_mod());
    EXPECT_FALSE(rules_dqflag_from_mod());
    get_game_globals()->replay_mode = 1;
    MatchRules r = *get_match_rules();
    EXPECT_EQ(set_rule("matchframes", "88", &r), 0);
    EXPECT_EQ(r.matchframes, 88);
    get_game_globals()->replay_mode = 0;
}
