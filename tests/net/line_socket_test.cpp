// The line socket against a peer the test drives byte by byte over real
// TCP on 127.0.0.1.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "support/loopback_servers.h"
#include "net/line_socket.h"
#include "net/game_socket.h"
#include "support/test_support.h"

namespace {

// A connected pair: the socket under test and the peer's end.
struct Pair {
    kxtest::TcpListener listener;
    LineSocket s;
    int peer = -1;
    Pair()
    {
        line_socket_init(&s);
        EXPECT_EQ(line_socket_begin_connect(&s, listener.address().c_str(), 1), 0);
        peer = listener.accept_one(5000);
        EXPECT_GE(peer, 0);
        EXPECT_EQ(line_socket_finish_connect(&s, 5000), 0);
    }
    ~Pair()
    {
        line_socket_close(&s);
        if (peer >= 0)
            close(peer);
    }
    // Reads until a line or the end arrives; every wait is only an upper
    // bound for bytes the peer has already sent.
    int next(std::string *line)
    {
        char buf[LINE_MESSAGE_MAX];
        for (int i = 0; i < 100; i++) {
            int r = line_socket_read_line(&s, buf, sizeof buf, 100);
            if (r != LINE_READ_NONE) {
                *line = buf;
                return r;
            }
        }
        return LINE_READ_NONE;
    }
};

} // namespace

TEST(LineSocket, AddressesAreDottedIpv4WithAnOptionalPort)
{
    char host[16];
    char why[64];
    int port = 0;
    EXPECT_EQ(net_parse_address("10.0.0.7", 20184, host, sizeof host, &port, why, sizeof why), 0);
    EXPECT_STREQ(host, "10.0.0.7");
    EXPECT_EQ(port, 20184);
    EXPECT_EQ(net_parse_address("127.0.0.1:5", 20184, host, sizeof host, &port, why, sizeof why), 0);
    EXPECT_EQ(port, 5);
    for (const char *bad : {"", "lobby.example", "1.2.3", "1.2.3.4:", "1.2.3.4:0", "1.2.3.4:65536",
                            "1.2.3.4:12x", "1.2.3.4 :80", "999.1.1.1", ":80"})
        EXPECT_EQ(net_parse_address(bad, 20184, host, sizeof host, &port, why, sizeof why), 1) << bad;
}

TEST(LineSocket, LinesCutAtEveryByteArriveWhole)
{
    Pair p;
    const std::string text = "SAY 0;hello there\r\nECHO 1;\nKICK 2;bye\n";
    std::string got;
    char buf[LINE_MESSAGE_MAX];
    for (size_t i = 0; i < text.size(); i++) {
        ASSERT_TRUE(kxtest::send_all(p.peer, text.substr(i, 1)));
        int r = LINE_READ_NONE;
        while (r == LINE_READ_NONE && p.s.received < (int64_t)i + 1)
            r = line_socket_read_line(&p.s, buf, sizeof buf, 1000);
        if (text[i] == '\n') {
            ASSERT_EQ(r, LINE_READ_LINE) << i;
            got += std::string(buf) + "|";
        } else {
            ASSERT_EQ(r, LINE_READ_NONE) << i;
        }
    }
    EXPECT_EQ(got, "SAY 0;hello there|ECHO 1;|KICK 2;bye|");
}

TEST(LineSocket, OverlongLinesAreDroppedWholeAndAClosingPeerLosesOnlyItsPartLine)
{
    Pair p;
    const std::string longest(LINE_MESSAGE_MAX - 1, 'a');
    ASSERT_TRUE(kxtest::send_all(p.peer, std::string(LINE_MESSAGE_MAX, 'x') + "tail\n" + longest + "\n" +
                                             std::string(3 * LINE_MESSAGE_MAX + 7, 'y') + "\r\nGOOD\nPART"));
    close(p.peer);
    p.peer = -1;
    std::string line;
    std::string err = kxtest::stderr_of([&] {
        ASSERT_EQ(p.next(&line), LINE_READ_LINE);
        EXPECT_EQ(line.size(), longest.size());
        ASSERT_EQ(p.next(&line), LINE_READ_LINE);
        EXPECT_EQ(line, "GOOD");
        EXPECT_EQ(p.next(&line), LINE_READ_CLOSED);
        EXPECT_EQ(p.next(&line), LINE_READ_CLOSED);
    });
    EXPECT_EQ(p.s.dropped, 2);
    EXPECT_NE(err.find("longer than 4095"), std::string::npos);
    EXPECT_NE(err.find("middle of a line"), std::string::npos);
}
