// The lobby reader's thread fills the room list while the main thread
// starts matches from its own NEWGAME lines, plays them and reads the rooms:
// each side keeps to its own rules.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/base/threads.h"
#include "game/protocol/command_table.h"
#include "match_fixture.h"
#include "net/records/server_list.h"

namespace {

enum { ROOMS = 24 };
int g_fed;
CommandCursor g_cursor;

void lobby_init(void) { command_cursor_reset(&g_cursor); }
// Per room a greeting, its address and name, and an old-format NEWGAME line
// of turns of 33.
void lobby_step(void)
{
    const int kind = g_fed % 3;
    const std::string n = std::to_string(640 + g_fed++ / 3);
    const std::string l = kind == 0 ? "KAELMUND 0;\n"
                          : kind == 1 ? "SERVER 0;127.0.0.1 room" + n + "\n"
                                      : "NEWGAME 0;" + n + " 33 20 0 0 3\n";
    parse_cmd(CMD_SOURCE_LOBBY, l.c_str(), -1, &g_cursor);
}
int lobby_more(void) { return g_fed < 3 * ROOMS; }

} // namespace

class LobbyThread : public MatchTest {};

TEST_F(LobbyThread, RoomRulesArriveWhileTheMainThreadPlaysItsOwnMatches)
{
    auto rooms = std::make_unique<ServerList>();
    set_lobby_handler_target(rooms.get());
    MatchRules mine;
    fill_default_rules(0, &mine);
    const std::string own = make_newgame_line(0, &mine);
    WorkerThread lobby(lobby_init, lobby_step, lobby_more, 1);
    ASSERT_EQ(lobby.start(), 0);
    RoomEntry e;
    for (int turn = 0; lobby.is_running() && turn < 100000; turn++) {
        if (turn % 4 == 0) {
            MatchRules r{};
            parse_newgame_line(own.c_str() + own.find(';') + 1, &r);
            new_match(0, 0, &r, 0);
        }
        ASSERT_EQ(play_turn(turn, 0), 10);
        rooms->copy_entry(turn % ROOMS, &e);
    }
    lobby.stop();
    ASSERT_EQ(rooms->count(), ROOMS);
    for (int i = 0; i < ROOMS; i++) {
        ASSERT_EQ(rooms->copy_entry(i, &e), 0);
        EXPECT_EQ(std::string(e.name), "room" + std::to_string(640 + i));
        EXPECT_EQ(e.rules.matchframes, 640 + i);
        EXPECT_EQ(e.rules.turnframe_list[0], 33);
    }
    EXPECT_EQ(rules_nominal_turn_length(), 10);
    EXPECT_FALSE(rules_gravity_from_mod());
}
