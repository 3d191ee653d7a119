// The game-server socket over real TCP on 127.0.0.1: messages cut at every
// byte, and fuzzed lines played into the game.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/protocol/command_table.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "net/game_connection.h"
#include "support/loopback_server.h"
#include "support/match_server_lines.h"
#include "support/test_support.h"

namespace {

std::string words(std::initializer_list<int32_t> v)
{
    std::string s;
    for (int32_t w : v)
        kxtest::put_word(s, w);
    return s;
}

// Reads what is whole now, the way the poll does (a block after a block
// row; a blank line skipped), each message as "T:" or "B:" and its bytes.
void read_whole(NetSocket *s, bool *block_next, std::vector<std::string> *got)
{
    char buf[NET_MESSAGE_MAX + 1];
    for (int length = 0;;) {
        const int r = *block_next ? net_socket_read_block(s, buf, &length, CMD_BLOCK_MAX_WORDS)
                                  : net_socket_read_message(s, buf, &length);
        if (r != NET_READ_MESSAGE)
            return;
        const std::string m(buf, (size_t)length);
        if (!*block_next && m == "\n")
            continue;
        got->push_back((*block_next ? "B:" : "T:") + m);
        *block_next = !*block_next && m.rfind("P_", 0) == 0;
    }
}

} // namespace

// However the stream is cut, every message comes out whole and alone: text
// lines (CR LF too), a block after a NUL-ended header and after a
// line-feed-ended one (its closing line feed early or late); a line over
// 4096 bytes is dropped; a block with a count out of range is handed over
// as its count alone and the stream goes on after the next line feed. What
// came whole before the peer closed is read, a message cut by the close not.
TEST(GameSocket, MessagesCutAtEveryByteComeOutWhole)
{
    kxtest::LoopbackServer server;
    NetSocket s;
    net_socket_init(&s);
    ASSERT_EQ(net_socket_connect(&s, server.address().c_str(), 5000), 0) << s.error;
    ASSERT_TRUE(server.accept_client());
    const std::string block = words({3, 1000000, -2});
    const std::string bad = words({600, 1});
    const std::string stream = std::string("SAY 0;hello\n") + "P_POS 1;" + '\0' + block + "\n" + "CRLF 0;x\r\n" +
                               "P_QAT 0;\n" + block + std::string(4100, 'A') + "\n" + "P_POS 0;" + '\0' + bad +
                               "\nWORLD 0;\n";
    const std::vector<std::string> want = {
        "T:SAY 0;hello\n", std::string("T:P_POS 1;") + '\0', "B:" + block, "T:CRLF 0;x\r\n", "T:P_QAT 0;\n",
        "B:" + block, std::string("T:P_POS 0;") + '\0', "B:" + bad.substr(0, 4), "T:WORLD 0;\n"};
    bool block_next = false;
    kxtest::QuietStreams quiet(false);
    for (size_t cut = 0; cut <= stream.size(); cut += cut < 80 || cut > stream.size() - 40 ? 1 : 97) {
        std::vector<std::string> got;
        ASSERT_TRUE(server.send(stream.substr(0, cut)));
        read_whole(&s, &block_next, &got);
        ASSERT_TRUE(server.send(stream.substr(cut)));
        for (int k = 0; k < 100 && got.size() < want.size(); k++) {
            kxtest::wait_readable(s.fd, 10);
            read_whole(&s, &block_next, &got);
        }
        ASSERT_EQ(got, want) << "cut at " << cut;
    }
    for (const std::string &tail : {std::string("SAY 0;cut"), std::string("P_POS 0;") + '\0' + words({4, 1})}) {
        ASSERT_TRUE(server.send("SAY 0;whole\n" + tail));
        server.close_client();
        std::vector<std::string> got;
        int r = NET_READ_NONE;
        char buf[NET_MESSAGE_MAX + 1];
        for (int k = 0, length = 0; k < 100 && r != NET_READ_CLOSED; k++) {
            kxtest::wait_readable(s.fd, 10);
            r = block_next ? net_socket_read_block(&s, buf, &length, CMD_BLOCK_MAX_WORDS)
                           : net_socket_read_message(&s, buf, &length);
            if (r == NET_READ_MESSAGE)
                got.push_back(std::string(buf, (size_t)length));
            block_next = r == NET_READ_MESSAGE && got.back().rfind("P_", 0) == 0;
        }
        EXPECT_EQ(r, NET_READ_CLOSED);
        EXPECT_EQ(got[0], "SAY 0;whole\n");
        EXPECT_EQ(got.size(), tail[0] == 'P' ? 2u : 1u);
        ASSERT_EQ(net_socket_connect(&s, server.address().c_str(), 5000), 0);
        ASSERT_TRUE(server.accept_client());
        block_next = false;
    }
    net_socket_close(&s);
}

namespace {

// Lines the server sends in a match, to be mutated.
std::vector<std::string> seed_lines()
{
    MatchRules r;
    fill_default_rules(1, &r);
    std::vector<std::string> seeds = {
        make_newgame_line(0, &r), "BOUT 0;7 1200 3 0 0 0 alice 0\n", "BOUT -1;\n", "ID 7;\n",
        "JOINT 1; 0 1 3 2 19 4\n", "GRIP 0;1 0\n", "BATCH 1;-1\n", "B_JOINT 1; 4 2\n", "READY 0;\n",
        "CRUSH 1; 3 4\n", "FRACT 0; 19\n", "GAME 10; 1 2 3 4\n", "WIN 40;0 1 0 0 0 1.0 2.0 3.0 7\n",
        "WORLD 0;\n", "SAY 0;hello\n", "EMOTE 1;hi\n", "HINGEVEL 0; 1 2 3\n", "BREAK 0; 5 3\n",
        "LOST 5; 1 1 0 0 0\n", "CENTERPRINT 0;big\n", "SPECS 0;a\tb\n", "CLIENTS 2;a\tb\n",
    };
    kxtest::SentState st{};
    for (int b = 0; b < BODY_COUNT; b++) {
        st.positions[b][2] = st.linear_vel[b][2] = 1.0 + b * 0.05;
        st.rotations[b][0] = 1.0;
    }
    for (bool blocks : {false, true}) {
        seeds.push_back(kxtest::state_part(1, STATE_POS, blocks, st));
        seeds.push_back(kxtest::state_part(0, STATE_QAT, blocks, st));
        seeds.push_back(kxtest::state_part(1, STATE_LINVEL, blocks, st));
    }
    return seeds;
}

std::string fuzzed(std::mt19937 &rng, const std::vector<std::string> &seeds)
{
    std::string s = seeds[rng() % seeds.size()];
    for (int e = (int)(rng() % 4); e > 0 && !s.empty(); e--) {
        const size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0: s[at] = (char)(rng() & 0xff); break;
        case 1: s.erase(at, 1 + rng() % 8); break;
        case 2: s.insert(at, std::string(1 + rng() % 4, (char)(rng() & 0xff))); break;
        case 3: s.insert(at, std::to_string((int32_t)rng())); break;
        default: s.resize(at); break;
        }
    }
    if (rng() % 50 == 0)
        s += std::string(4000 + rng() % 300, 'x');
    // Connection actions would end the test's connection, not test it.
    for (const char *action : {"KICK", "FORWARD", "KAELMUND", "RUN"})
        if (s.find(action) != std::string::npos)
            s = "WORLD 0;";
    return s.empty() || s.back() != '\n' ? s + "\n" : s;
}

} // namespace

// Fuzzed lines (mutated match lines and blocks, cut anywhere, some too long)
// through the socket into the game, which plays on between them: the client
// reads them all and stays whole and connected. `make fuzz` sends more.
TEST(GameSocket, FuzzedLinesThroughTheSocketIntoTheGame)
{
    ASSERT_EQ(init_game(), 0);
    net_install_callbacks();
    kxtest::LoopbackServer server;
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    const std::vector<std::string> seeds = seed_lines();
    std::mt19937 rng(20184);
    std::string all;
    for (long k = 4000 * kxtest::fuzz_scale(); k > 0; k--)
        all += fuzzed(rng, seeds);
    std::thread writer([&] { server.send(all); });
    kxtest::QuietStreams quiet(false);
    for (long k = 0; net_game_connected() && net_game_socket()->received_bytes < (long long)all.size(); k++) {
        get_game_globals()->network_mode = 1;
        net_poll();
        if (k % 8 == 0)
            run_match_tick(0);
        if (net_game_socket()->in_len == 0)
            kxtest::wait_readable(net_socket_fd(net_game_socket()), 1);
    }
    writer.join();
    EXPECT_TRUE(net_game_connected());
    EXPECT_EQ(net_game_socket()->received_bytes, (long long)all.size());
    for (int i = 0; i < fighter_count(); i++)
        for (int b = 0; b < BODY_COUNT; b++)
            for (int c = 0; c < 3; c++)
                EXPECT_TRUE(std::isfinite(dBodyGetPosition(get_player(i)->bodies[b])[c]));
    net_close_game();
    free_game();
}
