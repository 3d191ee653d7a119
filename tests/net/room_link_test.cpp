// Room links polled the way the tick polls them, against room servers of
// our own on 127.0.0.1: lines into the link's chat tab, and every way a
// room can fail.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "app/base/clock.h"
#include "gui/services/chat_log.h"
#include "support/loopback_servers.h"
#include "net/room_link.h"
#include "support/test_support.h"

namespace {

// The tab's lines as ASCII, one per row.
std::string tab_text(int tab)
{
    std::string out;
    for (int i = 0; i < chat_line_count(tab); i++) {
        ChatLine line;
        chat_line_copy(tab, i, &line);
        for (const uint16_t *u = line.text; *u; u++)
            out += (char)*u;
        out += "|";
    }
    return out;
}

struct RoomFixture : testing::Test {
    kxtest::QuietStreams quiet{false};
    RoomLink link;
    int tab = -1;
    RoomFixture()
    {
        chat_init();
        tab = chat_tab_open(77, "room");
    }
    // Polls until the link's tab has n lines (or the link gives up).
    void poll_until_lines(int n)
    {
        for (int i = 0; i < 20000 && chat_line_count(tab) < n; i++) {
            room_link_poll(&link);
            if (chat_line_count(tab) < n)
                usleep(100);
        }
    }
};

} // namespace

using RoomLinks = RoomFixture;

TEST_F(RoomLinks, RoomLinesGoToTheLinkTab)
{
    ASSERT_GT(tab, 0);
    kxtest::TcpListener room;
    ASSERT_EQ(room_link_open(&link, room.address().c_str(), tab), 0);
    int peer = room.accept_one(5000);
    ASSERT_GE(peer, 0);
    poll_until_lines(1);
    EXPECT_TRUE(room_link_is_connected(&link));
    ASSERT_TRUE(kxtest::send_all(peer, "SAY 0;welcome\nSAY 12;hi all\r\nBOGUS 1;x\nno semicolon\n"
                                       "ECHO 0;\nDISCONNECT 4;ann left\n" +
                                       std::string(LINE_MESSAGE_MAX + 10, 'q') + "\nSAY 3;after the long one\n"));
    poll_until_lines(5);
    EXPECT_EQ(tab_text(tab), "Connected to " + room.address() + "|welcome|hi all|ann left|after the long one|");
    ChatLine line;
    chat_line_copy(tab, 1, &line);
    EXPECT_EQ(line.type, MSG_SERVER);
    chat_line_copy(tab, 2, &line);
    EXPECT_EQ(line.type, MSG_USER);
    EXPECT_EQ(chat_line_count(0), 0); // nothing in the console tab

    ASSERT_TRUE(kxtest::send_all(peer, "KICK 0;you were kicked\nSAY 0;never shown\n"));
    poll_until_lines(6);
    EXPECT_FALSE(room_link_is_connected(&link));
    for (int i = 0; i < 10; i++)
        room_link_poll(&link);
    EXPECT_EQ(chat_line_count(tab), 6);
    close(peer);
}

TEST_F(RoomLinks, AClosedRoomARefusedOneAndABadAddressAreReportedInTheTab)
{
    {
        kxtest::LoopbackLineServer room({"SAY 0;last words\nSAY 0;cut mid-li"}, true);
        ASSERT_EQ(room_link_open(&link, room.address().c_str(), tab), 0);
        poll_until_lines(3);
        EXPECT_EQ(tab_text(tab), "Connected to " + room.address() + "|last words|Disconnected from " +
                                     room.address() + "|");
        EXPECT_FALSE(room_link_is_connected(&link));
    }
    chat_clear_all();
    const std::string refused = "127.0.0.1:" + std::to_string(kxtest::closed_port());
    if (room_link_open(&link, refused.c_str(), tab) == 0)
        poll_until_lines(1);
    EXPECT_EQ(tab_text(tab).rfind("Failed to connect to " + refused, 0), 0u) << tab_text(tab);
    chat_clear_all();
    EXPECT_EQ(room_link_open(&link, "room.example:20184", tab), 1);
    EXPECT_EQ(tab_text(tab).rfind("Failed to connect to room.example:20184", 0), 0u);
}

namespace {
uint32_t g_now = 5000;
uint32_t test_clock(void) { return g_now; }
} // namespace

TEST_F(RoomLinks, AConnectWithoutAnswerTimesOut)
{
    // 192.0.2.0/24 is reserved for documentation: nothing answers there, so
    // the connect stays under way until the link gives up.
    clock_set_source(test_clock);
    ASSERT_EQ(room_link_open(&link, "192.0.2.1:20184", tab), 0);
    room_link_poll(&link);
    if (link.socket.state == LINE_SOCKET_CONNECTING) {
        EXPECT_EQ(chat_line_count(tab), 0);
        g_now += ROOM_CONNECT_TIMEOUT_MS;
        room_link_poll(&link);
    }
    clock_set_source(nullptr);
    EXPECT_EQ(link.socket.state, LINE_SOCKET_CLOSED);
    EXPECT_EQ(tab_text(tab).rfind("Failed to connect to 192.0.2.1:20184", 0), 0u) << tab_text(tab);
}
