// Network play through the program's tick against the tests' own game
// server on 127.0.0.1: a whole match, and a server that goes away, stalls
// or speaks nonsense.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <sys/stat.h>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/frame_cache.h"
#include "game/game_callbacks.h"
#include "game/joints.h"
#include "game/protocol/line_handlers_match.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "net/game_connection.h"
#include "support/loopback_server.h"
#include "support/match_server_lines.h"
#include "support/test_support.h"

namespace {

uint32_t g_now = 5000;
uint32_t test_clock() { return g_now; }

// The player's messages, one a line.
std::string g_echoes;
void record_echo(const char *text, int) { g_echoes += std::string(text) + "\n"; }
bool echoed(const std::string &text) { return g_echoes.find(text) != std::string::npos; }

// The program's objects in a temporary run folder, on a clock the test
// drives, with the player's messages recorded.
struct NetProgram {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    NetProgram()
    {
        mkdir("replay", 0755);
        clock_set_source(test_clock);
        EXPECT_EQ(program_create_objects(), 0);
        options_load();
        camera_defaults();
        key_bindings_reset();
        menu_rows_init();
        menu_set_state(0);
        g_echoes.clear();
        game_callbacks()->echo = record_echo;
    }
    ~NetProgram()
    {
        program_destroy_objects();
        clock_set_source(nullptr);
    }
};

// One tick of the program, 16 ms on.
void tick()
{
    on_tick(0);
    g_now += 16;
}

// Ticks until done() holds, at most max_ticks; between ticks it gives the
// server's bytes a moment to arrive.
bool tick_until(const std::function<bool()> &done, int max_ticks = 3000)
{
    for (int k = 0; k < max_ticks; k++) {
        if (done())
            return true;
        kxtest::wait_readable(net_socket_fd(net_game_socket()), 1);
        tick();
    }
    return done();
}

MatchRules short_rules(int matchframes) { return kxtest::turn_match_rules(matchframes, 1000); }

using kxtest::waiting_for_turn;

// Connects, opens the match and waits until the client stands in it.
void open_match(kxtest::LoopbackServer &server, const MatchRules &r)
{
    const int started = server_matches_started();
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    EXPECT_EQ(get_game_globals()->network_mode, 1);
    ASSERT_TRUE(server.send(kxtest::match_opening(r, 7, 9)));
    ASSERT_TRUE(tick_until([&] { return server_matches_started() == started + 1; }));
    // The fighters take the bouts' names and ids; the own one is selected.
    EXPECT_EQ(get_game_globals()->own_slot, 0);
    EXPECT_EQ(get_game_globals()->selected_player, 0);
    EXPECT_EQ(std::string(get_player(1)->name), "bob");
    EXPECT_EQ(get_player(1)->bout_id, 9);
}

} // namespace

// A whole match: every turn the client sends its fighter's grips and joint
// states, the server answers with the other fighter's moves and both
// fighters' state; the client runs the turn and ends it where the server
// put the fighters; the result is the server's; the finished match is then
// shown again from the frame cache.
TEST(NetworkMatch, AWholeMatchAgainstTheLoopbackServer)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    const MatchRules r = short_rules(30);
    open_match(server, r);
    WorldState *w = get_game_state();

    for (int t = 0; !w->game_over; t++) {
        ASSERT_LT(t, 4);
        ASSERT_TRUE(tick_until(waiting_for_turn));
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(0, j, 1 + (t + j) % 4);
        set_grip(0, R_HAND, GRIP_ON);
        const int expected_knee = get_joint_state(0, R_KNEE);
        commit_turn(0);
        commit_turn(0);   // once per turn: the second sends nothing
        const std::string sent = server.read_until("BATCH 0;");
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.rfind("B_GRIP 0;0 1\nB_JOINT 0;", 0), 0u) << sent;
        EXPECT_NE(sent.find(" " + std::to_string(R_KNEE) + " " + std::to_string(expected_knee) + " "),
                  std::string::npos);
        EXPECT_NE(sent.find("\nBATCH 0;-1\n"), std::string::npos);

        const int end = w->frame + 10;
        const kxtest::SentState st[2] = {kxtest::state_from_world(0, 0.25 * (t + 1)),
                                         kxtest::state_from_world(1, -0.25 * (t + 1))};
        std::string reply = kxtest::turn_reply(end, st, 10 * t, 20 * t);
        const bool last = end >= r.matchframes;
        // The result before the scores, which the WIN line does not carry.
        if (last)
            reply.insert(reply.find("GAME "), "WIN " + std::to_string(end) + ";0 1 0 0 0 0.0 0.0 0.0 0\n");
        ASSERT_TRUE(server.send(reply));
        // The other player does not wait for this one's menus: the turn
        // runs behind the main menu.
        menu_set_state(t == 0 ? MENU_MAIN : 0);
        ASSERT_EQ(menu_current_row()->world_runs, t == 0 ? 0 : 1);
        if (!last) {
            ASSERT_TRUE(tick_until([&] { return w->frame == end && waiting_for_turn(); }));
        } else {
            ASSERT_TRUE(tick_until([&] { return w->game_over != 0; }));
            EXPECT_EQ(w->frame, end);
        }
        EXPECT_LT(kxtest::distance_from(0, st[0]), 1e-7) << "turn " << t;
        EXPECT_LT(kxtest::distance_from(1, st[1]), 2e-6) << "turn " << t;
        EXPECT_FLOAT_EQ(get_player(1)->score, 20.0f * t);
    }
    // The server's verdict: fighter 1 wins, fighter 0 loses.
    EXPECT_EQ(w->winners[1], 1);
    EXPECT_EQ(w->losers[0], 0);
    EXPECT_EQ(w->result_kind, 0);
    EXPECT_TRUE(tick_until([] { return frame_cache_playback() != 0; }, 400));
    EXPECT_TRUE(net_game_connected());

    // The end of the program says goodbye.
    program_destroy_objects();
    EXPECT_EQ(server.read_until("QUIT"), "QUIT\n");
    program_create_objects();
}

// The scores of each turn's GAME line are the fighters' scores once the
// turn has been handed over, turn by turn, for both fighters.
TEST(NetworkMatch, EachTurnTakesTheScoresOfTheServersGameLine)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    open_match(server, short_rules(100));
    WorldState *w = get_game_state();
    const int scores[3][2] = {{0, 35}, {80, 120}, {95, 120}};
    for (int t = 0; t < 3; t++) {
        ASSERT_TRUE(tick_until(waiting_for_turn)) << "turn " << t;
        commit_turn(0);
        ASSERT_FALSE(server.read_until("BATCH 0;").empty());
        const int end = w->frame + 10;
        const kxtest::SentState st[2] = {kxtest::state_from_world(0, 0), kxtest::state_from_world(1, 0)};
        ASSERT_TRUE(server.send(kxtest::turn_reply(end, st, scores[t][0], scores[t][1])));
        ASSERT_TRUE(tick_until([&] { return w->frame == end && waiting_for_turn(); })) << "turn " << t;
        EXPECT_FLOAT_EQ(get_player(0)->score, (float)scores[t][0]) << "turn " << t;
        EXPECT_FLOAT_EQ(get_player(1)->score, (float)scores[t][1]) << "turn " << t;
    }
}

// The server closes in the middle of a turn's state: the network game ends
// with the message and a fresh single-play game can be played.
TEST(NetworkMatch, ServerGoneMidMatchLeavesAPlayableGame)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    open_match(server, short_rules(100));
    ASSERT_TRUE(tick_until(waiting_for_turn));
    commit_turn(0);
    ASSERT_FALSE(server.read_until("BATCH 0;").empty());
    const kxtest::SentState st[2] = {kxtest::state_from_world(0, 0), kxtest::state_from_world(1, 0)};
    const std::string reply = kxtest::turn_reply(10, st, 0, 0);
    // Cut inside fighter 1's position block.
    const size_t cut = reply.find("P_POS 1;") + 20;
    ASSERT_TRUE(server.send(reply.substr(0, cut)));
    server.close_client();
    ASSERT_TRUE(tick_until([] { return !net_game_connected(); }));
    EXPECT_TRUE(echoed("Disconnected. Lost contact with server"));
    EXPECT_EQ(get_game_globals()->network_mode, 0);
    // A single-play turn runs.
    ASSERT_TRUE(tick_until(waiting_for_turn));
    const int frame = get_game_state()->frame;
    commit_turn(0);
    EXPECT_TRUE(tick_until([&] { return get_game_state()->frame > frame; }, 50));
}

// A server that stops talking: the main loop keeps running, a PING goes out
// every 20 s, and a committed turn left unanswered ends the network game.
TEST(NetworkMatch, StallingServerIsPingedThenGivenUp)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    MatchRules r = short_rules(100);
    r.reactiontime = 5;
    open_match(server, r);
    ASSERT_TRUE(tick_until(waiting_for_turn));
    commit_turn(0);
    ASSERT_FALSE(server.read_until("BATCH 0;").empty());
    int pings = 0;
    for (int k = 0; k < 200 && net_game_connected(); k++) {
        g_now += 1000;
        tick();
        while (!server.read_until("PING", 0).empty())
            pings++;
    }
    EXPECT_FALSE(net_game_connected());
    EXPECT_GE(pings, 3);
    EXPECT_TRUE(echoed("The server stopped answering"));
    EXPECT_EQ(get_game_globals()->network_mode, 0);
}

// KICK, a wrong protocol version and a FORWARD to an address that refuses
// (back to the server the client came from, then on to a real one).
TEST(NetworkMatch, ConnectionActionsOfTheServerLines)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    // An address that does not resolve, and one that refuses.
    EXPECT_NE(net_connect_server("game.example.org"), 0);
    EXPECT_TRUE(echoed("Failed to connect to game.example.org"));
    {
        kxtest::LoopbackServer closed;
        const std::string address = closed.address();
        closed.stop_listening();
        EXPECT_NE(net_connect_server(address.c_str()), 0);
        EXPECT_TRUE(echoed("Failed to connect to " + address));
    }
    EXPECT_EQ(get_game_globals()->network_mode, 0);

    for (const char *line : {"KICK 1;you are out\n", "KAELMUND 29;\n"}) {
        g_echoes.clear();
        open_match(server, short_rules(100));
        ASSERT_TRUE(server.send(line));
        ASSERT_TRUE(tick_until([] { return !net_game_connected(); }));
        EXPECT_EQ(get_game_globals()->network_mode, 0) << line;
        EXPECT_EQ(server.read_until("QUIT"), "QUIT\n") << line;
    }
    EXPECT_TRUE(echoed("please update"));

    kxtest::LoopbackServer other;
    open_match(server, short_rules(100));
    const std::string home = server.address();
    {
        kxtest::LoopbackServer refusing;
        const std::string address = refusing.address();
        refusing.stop_listening();
        // A connect that fails keeps the connection the game has.
        EXPECT_NE(net_connect_server(address.c_str()), 0);
        EXPECT_TRUE(net_game_connected());
        g_echoes.clear();
        ASSERT_TRUE(server.send("FORWARD 0;" + address + "\n"));
        ASSERT_TRUE(tick_until([&] { return echoed("Failed to connect to " + address); }));
        // Back home: the same server takes the client again.
        ASSERT_TRUE(server.accept_client());
    }
    char now_at[80];
    net_address_text(now_at, sizeof now_at);
    EXPECT_EQ(std::string(now_at), home);
    ASSERT_TRUE(server.send("FORWARD 0;" + other.address() + "\n"));
    ASSERT_TRUE(tick_until([&] { return echoed("forwarding to " + other.address()); }));
    ASSERT_TRUE(other.accept_client());
    net_address_text(now_at, sizeof now_at);
    EXPECT_EQ(std::string(now_at), other.address());
    EXPECT_TRUE(net_game_connected());
}

namespace {
int g_alerts_set, g_alerts_cleared;
void alert_set(void) { g_alerts_set++; }
void alert_cleared(void) { g_alerts_cleared++; }
} // namespace

// The window's turn alert for a player in slot 1: the match start raises it
// only as the turn alert does (the option on, three bouts present), and
// each turn's end takes it down while the option is on.
TEST(NetworkMatch, TheTurnAlertFollowsItsOptionInSlotOne)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    window_hooks()->set_turn_alert = alert_set;
    window_hooks()->clear_turn_alert = alert_cleared;
    g_alerts_set = g_alerts_cleared = 0;
    option_set(OPT_TURNALERT, 1);

    // Two bouts, the client's own in slot 1.
    const MatchRules r = short_rules(100);
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    const int started = server_matches_started();
    ASSERT_TRUE(server.send(std::string("KAELMUND 30;\nID 7;\nBOUT 0;9 900 1 0 0 0 bob 0\n"
                            "BOUT 1;7 1200 3 0 0 0 alice 0\nBOUT -1;\n") +
                            make_newgame_line(0, &r)));
    ASSERT_TRUE(tick_until([&] { return server_matches_started() == started + 1; }));
    ASSERT_EQ(get_game_globals()->own_slot, 1);
    // The next match on the same bouts starts with the own slot known.
    ASSERT_TRUE(server.send(make_newgame_line(0, &r)));
    ASSERT_TRUE(tick_until([&] { return server_matches_started() == started + 2; }));
    ASSERT_EQ(get_game_globals()->own_slot, 1);
    EXPECT_EQ(g_alerts_set, 0);

    WorldState *w = get_game_state();
    for (int t = 0; t < 2; t++) {
        // The second turn with the option off: the alert is left alone.
        option_set(OPT_TURNALERT, t == 0);
        const int cleared = g_alerts_cleared;
        ASSERT_TRUE(tick_until(waiting_for_turn)) << "turn " << t;
        commit_turn(0);
        ASSERT_FALSE(server.read_until("BATCH 1;").empty());
        const int end = w->frame + 10;
        const kxtest::SentState st[2] = {kxtest::state_from_world(0, 0), kxtest::state_from_world(1, 0)};
        ASSERT_TRUE(server.send(kxtest::opponent_moves(0) + kxtest::turn_reply(end, st, 0, 0)));
        ASSERT_TRUE(tick_until([&] { return w->frame == end && waiting_for_turn(); })) << "turn " << t;
        EXPECT_EQ(g_alerts_cleared - cleared, t == 0 ? 1 : 0) << "turn " << t;
    }
    EXPECT_EQ(g_alerts_set, 0);
    *window_hooks() = WindowHooks{};
}

// A game server's RUN line runs a console command but never writes a file:
// one that asks for its output in a file is refused whole, and the replay
// it named stays as it was.
TEST(NetworkMatch, AServersRunLineWritesNoFile)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    const std::string replay(14013, 'r');
    kxtest::write_file("replay/mine.rpl", replay);
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    ASSERT_TRUE(server.send("RUN 0;set matchframes 777 > replay/mine.rpl\nRUN 0;set nosuch 1 > history.log\n"
                            "RUN 0;set matchframes 321\n"));
    ASSERT_TRUE(tick_until([] { return get_next_match_rules()->matchframes == 321; }));
    EXPECT_EQ(kxtest::read_file("replay/mine.rpl"), replay);
    struct stat st;
    EXPECT_NE(stat("replay/mine-2.rpl", &st), 0);
    EXPECT_NE(stat("history-2.log", &st), 0);
    EXPECT_NE(stat("history.log", &st), 0);
    net_close_game();
}

namespace {

// Three matches in a row on three bouts (the third watches), the client's
// own bout in the given slot: each start fits the camera to the own side
// and, for slot 1, reaches the turn alert.
void three_bout_matches(int own_slot)
{
    NetProgram program;
    kxtest::LoopbackServer server;
    window_hooks()->set_turn_alert = alert_set;
    window_hooks()->clear_turn_alert = alert_cleared;
    g_alerts_set = g_alerts_cleared = 0;
    option_set(OPT_TURNALERT, 1);
    const MatchRules r = short_rules(100);
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    const std::string own = "7 1200 3 0 0 0 alice 0\n", other = "9 900 1 0 0 0 bob 0\n";
    ASSERT_TRUE(server.send("KAELMUND 30;\nID 7;\nBOUT 0;" + (own_slot == 0 ? own : other) + "BOUT 1;" +
                            (own_slot == 1 ? own : other) + "BOUT 2;11 800 1 0 0 0 carol 0\nBOUT -1;\n"));
    const float yaw = own_slot == 1 ? 315.0f : 45.0f;   // -45 degrees for slot 1
    for (int m = 0; m < 3; m++) {
        const int started = server_matches_started();
        get_camera()->yaw = 180.0f;
        ASSERT_TRUE(server.send(make_newgame_line(0, &r)));
        ASSERT_TRUE(tick_until([&] { return server_matches_started() == started + 1; })) << "match " << m;
        EXPECT_EQ(get_game_globals()->bouts_present, 3);
        EXPECT_EQ(get_game_globals()->own_slot, own_slot) << "match " << m;
        EXPECT_EQ(get_game_globals()->selected_player, own_slot) << "match " << m;
        EXPECT_NEAR(std::fmod(get_camera()->yaw + 360.0f, 360.0f), yaw, 0.01f) << "match " << m;
        EXPECT_EQ(g_alerts_set, own_slot == 1 ? m + 1 : 0) << "match " << m;
    }
    *window_hooks() = WindowHooks{};
}

} // namespace

// The own slot at a network start comes from the bout list, so slot 1 gets
// its camera and its turn alert with three bouts as slot 0 gets its camera.
TEST(NetworkMatch, ThreeBoutsOwnSlotZeroKeepsItsCamera) { three_bout_matches(0); }
TEST(NetworkMatch, ThreeBoutsOwnSlotOneGetsItsCameraAndTurnAlert) { three_bout_matches(1); }
