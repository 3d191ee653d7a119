// The game-server socket over real TCP on 127.0.0.1: addresses, messages
// cut at every byte, over-long lines, broken blocks, a peer that closes
// mid-message, and a stream of fuzzed lines played into the game.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/protocol/command_table.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "net/game_connection.h"
#include "net/game_socket.h"
#include "support/loopback_server.h"
#include "support/match_server_lines.h"
#include "support/test_support.h"

namespace {

struct Connected {
    kxtest::LoopbackServer server;
    NetSocket s;
    Connected()
    {
        net_socket_init(&s);
        EXPECT_EQ(net_socket_connect(&s, server.address().c_str(), 5000), 0) << s.error;
        EXPECT_TRUE(server.accept_client());
    }
    ~Connected() { net_socket_close(&s); }

    bool block_next = false;

    // Reads messages the way the poll does (a block after a block row),
    // each as "T:" or "B:" and its bytes, until `want` arrived or the
    // stream closed; with wait false only what is whole now.
    std::vector<std::string> read(size_t want, int *closed = nullptr, bool wait = true)
    {
        std::vector<std::string> got;
        char buf[NET_MESSAGE_MAX + 1];
        for (int tries = 0; got.size() < want && tries < 2000; tries++) {
            int length = 0;
            const int r = block_next ? net_socket_read_block(&s, buf, &length, CMD_BLOCK_MAX_WORDS)
                                     : net_socket_read_message(&s, buf, &length);
            if (r == NET_READ_CLOSED) {
                if (closed)
                    *closed = 1;
                break;
            }
            if (r == NET_READ_NONE) {
                if (!wait)
                    break;
                kxtest::wait_readable(s.fd, 5);
                continue;
            }
            const std::string m(buf, (size_t)length);
            // A block's closing line feed that came late reads as a blank
            // line, which the poll skips.
            if (!block_next && m == "\n")
                continue;
            got.push_back((block_next ? "B:" : "T:") + m);
            block_next = !block_next && m.rfind("P_", 0) == 0;
        }
        return got;
    }
};

std::string words(std::initializer_list<int32_t> v)
{
    std::string s;
    for (int32_t w : v)
        kxtest::put_word(s, w);
    return s;
}

} // namespace

TEST(GameSocket, AddressesAreDottedIPv4WithAnOptionalPort)
{
    char host[64], error[64];
    int port = 0;
    ASSERT_EQ(net_parse_address("10.1.2.3", host, sizeof host, &port, error, sizeof error), 0);
    EXPECT_EQ(std::string(host), "10.1.2.3");
    EXPECT_EQ(port, NET_DEFAULT_PORT);
    ASSERT_EQ(net_parse_address("127.0.0.1:99", host, sizeof host, &port, error, sizeof error), 0);
    EXPECT_EQ(port, 99);
    for (const char *bad : {"", "game.example.org", "1.2.3", "1.2.3.4:", "1.2.3.4:0", "1.2.3.4:65536",
                            "1.2.3.4:80x", "1.2.3.4:-1", "1.2.3.4:99999999999999999999",
                            "1.2.3.4:1:2", "0123456789012345678901234567890123456789012345678901234567890123456789"})
        EXPECT_EQ(net_parse_address(bad, host, sizeof host, &port, error, sizeof error), 1) << bad;

    // A port nobody listens on refuses at once.
    NetSocket s;
    net_socket_init(&s);
    std::string address;
    {
        kxtest::LoopbackServer gone;
        address = gone.address();
    }
    EXPECT_EQ(net_socket_connect(&s, address.c_str(), 5000), 1);
    EXPECT_FALSE(net_socket_is_connected(&s));
    EXPECT_NE(std::string(s.error), "");
    EXPECT_EQ(net_socket_close(&s), 1);
}

// Every message comes out whole and alone however the stream is cut: text
// lines, a block after a NUL-ended header, a block after a line-feed-ended
// header, a block whose closing line feed comes late.
TEST(GameSocket, MessagesCutAtEveryByteComeOutWhole)
{
    Connected c;
    const std::string block = words({3, 1000000, -2});
    const std::string stream = std::string("SAY 0;hello\n") + "P_POS 1;" + '\0' + block + "\n" +
                               "CRLF 0;x\r\n" + "P_QAT 0;\n" + block + "\n" + "WORLD 0;\n";
    const std::vector<std::string> want = {"T:SAY 0;hello\n", std::string("T:P_POS 1;") + '\0', "B:" + block,
                                           "T:CRLF 0;x\r\n",  "T:P_QAT 0;\n",                  "B:" + block,
                                           "T:WORLD 0;\n"};
    for (size_t cut = 0; cut <= stream.size(); cut++) {
        ASSERT_TRUE(c.server.send(stream.substr(0, cut)));
        std::vector<std::string> got = c.read(want.size(), nullptr, false);
        // Nothing more than what has arrived whole; then the rest.
        ASSERT_TRUE(c.server.send(stream.substr(cut)));
        const std::vector<std::string> rest = c.read(want.size() - got.size());
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(got, want) << "cut at " << cut;
    }
}

// A line over 4096 bytes is dropped, the next one read; a block whose count
// is out of range is handed over as its count alone and the stream goes on
// after the next line feed; sends arrive in order and the close says QUIT.
TEST(GameSocket, LongLinesAndBadBlocksAreDroppedAndTheStreamGoesOn)
{
    Connected c;
    const std::string err = kxtest::stderr_of([&] {
        ASSERT_TRUE(c.server.send(std::string(5000, 'A') + "\nSAY 0;after\n"));
        EXPECT_EQ(c.read(1), std::vector<std::string>{"T:SAY 0;after\n"});
    });
    EXPECT_NE(err.find("longer than 4096"), std::string::npos);
    ASSERT_TRUE(c.server.send(std::string("P_POS 0;") + '\0' + words({600, 1, 2}) + "junk\nWORLD 0;\n"));
    EXPECT_EQ(c.read(3), (std::vector<std::string>{std::string("T:P_POS 0;") + '\0', "B:" + words({600}),
                                                    "T:WORLD 0;\n"}));

    ASSERT_EQ(net_socket_send(&c.s, "B_GRIP 0;1 0\n", 13), 0);
    ASSERT_EQ(net_socket_send(&c.s, "BATCH 0;-1\n", 11), 0);
    EXPECT_EQ(c.server.read_line(), "B_GRIP 0;1 0");
    EXPECT_EQ(c.server.read_line(), "BATCH 0;-1");
    EXPECT_EQ(net_socket_disconnect(&c.s), 0);
    EXPECT_EQ(c.server.read_line(), "QUIT");
    EXPECT_EQ(net_socket_disconnect(&c.s), 1);
}

// What arrived whole before the peer closed is read; a line or block cut by
// the close is not.
TEST(GameSocket, PeerClosingMidLineOrMidBlockEndsTheStream)
{
    const std::string cut_tails[] = {"SAY 0;cut sho", std::string("P_POS 0;") + '\0' + words({4, 1})};
    for (const std::string &tail : cut_tails) {
        Connected c;
        ASSERT_TRUE(c.server.send("SAY 0;whole\n" + tail));
        c.server.close_client();
        int closed = 0;
        const std::vector<std::string> got = c.read(3, &closed);
        EXPECT_EQ(closed, 1);
        ASSERT_GE(got.size(), 1u);
        EXPECT_EQ(got[0], "T:SAY 0;whole\n");
        EXPECT_LE(got.size(), tail[0] == 'P' ? 2u : 1u);
    }
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
        "WORLD 0;\n", "SAY 0;hello\n", "EMOTE 1;hi\n", "HINGEVEL 0; 1 2 3\n", "BREAK 0; 5 3\n", "LOST 5; 1 1 0 0 0\n",
        "CENTERPRINT 0;big\n", "SPECS 0;a\tb\n", "CLIENTS 2;a\tb\n",
    };
    kxtest::SentState st{};
    for (int b = 0; b < BODY_COUNT; b++) {
        st.pos[b][2] = 1.0 + b * 0.05;
        st.quat[b][0] = 1.0;
    }
    for (bool blocks : {false, true}) {
        const auto line = blocks ? kxtest::block_line : kxtest::text_line;
        seeds.push_back(line(blocks ? "P_POS" : "POS", 1, &st.pos[0][0], 3 * BODY_COUNT));
        seeds.push_back(line(blocks ? "P_QAT" : "QAT", 0, &st.quat[0][0], 4 * BODY_COUNT));
        seeds.push_back(line(blocks ? "P_LINVEL" : "LINVEL", 1, &st.pos[0][0], 3 * BODY_COUNT));
    }
    return seeds;
}

std::string fuzzed(std::mt19937 &rng, const std::vector<std::string> &seeds)
{
    std::string s = seeds[rng() % seeds.size()];
    const int edits = (int)(rng() % 4);
    for (int e = 0; e < edits && !s.empty(); e++) {
        const size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0: s[at] = (char)(rng() & 0xff); break;
        case 1: s.erase(at, 1 + rng() % 8); break;
        case 2: s.insert(at, std::string(1 + rng() % 4, (char)(rng() & 0xff))); break;
        case 3: s.insert(at, std::to_string((int32_t)rng())); break;
        default: s = s.substr(0, at); break;
        }
    }
    if (rng() % 50 == 0)
        s += std::string(4000 + rng() % 300, 'x');
    if (s.empty() || s.back() != '\n')
        s += '\n';
    return s;
}

} // namespace

// Fuzzed lines (mutated match lines and blocks, cut anywhere, some too long)
// through the socket into the game, which plays on between them: the client
// reads them all and stays whole and connected.
TEST(GameSocket, FuzzedLinesThroughTheSocketIntoTheGame)
{
    ASSERT_EQ(init_game(), 0);
    net_install_callbacks();
    kxtest::LoopbackServer server;
    ASSERT_EQ(net_connect_server(server.address().c_str()), 0);
    ASSERT_TRUE(server.accept_client());
    const long lines = 4000 * kxtest::fuzz_scale();
    const std::vector<std::string> seeds = seed_lines();
    std::string all;
    {
        std::mt19937 rng(20184);
        for (long k = 0; k < lines; k++) {
            std::string line = fuzzed(rng, seeds);
            // Connection actions would end the test's connection, not test it.
            if (line.find("KICK") != std::string::npos || line.find("FORWARD") != std::string::npos ||
                line.find("KAELMUND") != std::string::npos || line.find("RUN") != std::string::npos)
                line = "WORLD 0;\n";
            all += line;
        }
        all += "SAY 0;the end\n";
    }
    std::thread writer([&] { server.send(all); });
    const long long total = (long long)all.size();
    kxtest::QuietStreams quiet(false);
    for (long k = 0; net_game_connected() && net_game_socket()->received_bytes < total; k++) {
        get_game_globals()->network_mode = 1;
        net_poll();
        if (k % 8 == 0)
            run_match_tick(0);
        if (net_game_socket()->in_len == 0)
            kxtest::wait_readable(net_socket_fd(net_game_socket()), 1);
    }
    writer.join();
    EXPECT_TRUE(net_game_connected());
    EXPECT_EQ(net_game_socket()->received_bytes, total);
    for (int i = 0; i < fighter_count(); i++)
        for (int b = 0; b < BODY_COUNT; b++)
            for (int c = 0; c < 3; c++)
                EXPECT_TRUE(std::isfinite(dBodyGetPosition(get_player(i)->bodies[b])[c]));
    net_close_game();
    free_game();
}
