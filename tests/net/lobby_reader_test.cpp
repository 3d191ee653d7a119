// The lobby reader on its real thread against a lobby of our own on
// 127.0.0.1: the room list it fills, and how it ends on a closed, refused,
// bad or silent lobby.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/base/clock.h"
#include "app/base/threads.h"
#include "support/loopback_servers.h"
#include "net/line_socket.h"
#include "net/lobby_reader.h"
#include "net/records/server_list.h"
#include "support/test_support.h"

namespace {

std::atomic<uint32_t> g_now{1000};
uint32_t test_clock(void) { return g_now.load(); }

// Waits for the condition while the other thread works; a bound only so
// that a broken reader fails the test instead of hanging it.
template <class F> bool eventually(F done)
{
    for (int i = 0; i < 3000; i++) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

struct LobbyFixture : testing::Test {
    std::unique_ptr<ServerList> rooms = std::make_unique<ServerList>();
    WorkerThread thread{lobby_reader_init, lobby_reader_step, lobby_reader_keep_going, 1};
    kxtest::QuietStreams quiet{false};
    LobbyFixture() { set_lobby_handler_target(rooms.get()); }
    ~LobbyFixture() override
    {
        thread.stop();
        lobby_reader_close();
        set_lobby_handler_target(nullptr);
        clock_set_source(nullptr);
    }
    void run(const std::string &address)
    {
        lobby_reader_prepare(address.c_str());
        ASSERT_EQ(thread.start(), 0);
    }
};

std::string room_lines(int i)
{
    const std::string n = std::to_string(i);
    return "KAELMUND 0;\nSERVER 0;10.0.0." + n + ":2018" + n + " dojo" + n + "\nINFO 3;" + n + " 9\nDESC 0;room " +
           n + "\nCLIENTS 0;ann\tbob\nNEWGAME 0;" + std::to_string(500 + i) + " 30 20 0 0 3\n";
}

} // namespace

using LobbyReaderThread = LobbyFixture;

TEST_F(LobbyReaderThread, FillsTheRoomListFromLinesInPiecesAndEndsWhenTheLobbyCloses)
{
    // A room list left from an earlier refresh is replaced.
    rooms->begin_entry();
    rooms->set_server("1.1.1.1 stale");
    std::string all = room_lines(0) + std::string(LINE_MESSAGE_MAX, 'z') + "\n" + room_lines(1) +
                      "P_JOINT 0;1\n" + room_lines(2) + "SERVER 0;9.9.9.9 cut-off-at-clo";
    std::vector<std::string> chunks;
    for (size_t i = 0; i < all.size(); i += 7)
        chunks.push_back(all.substr(i, 7));
    kxtest::LoopbackLineServer lobby(chunks, true);
    run(lobby.address());
    ASSERT_TRUE(eventually([&] { return !thread.is_running(); }));
    EXPECT_EQ(lobby_reader_status(), LOBBY_DONE);
    ASSERT_EQ(rooms->count(), 3);
    for (int i = 0; i < 3; i++) {
        RoomEntry e;
        ASSERT_EQ(rooms->copy_entry(i, &e), 0);
        const std::string n = std::to_string(i);
        EXPECT_EQ(std::string(e.address), "10.0.0." + n + ":2018" + n);
        EXPECT_EQ(std::string(e.name), "dojo" + n);
        EXPECT_EQ(std::string(e.desc), "room " + n);
        EXPECT_EQ(e.info[0], i);
        EXPECT_EQ(e.client_count, 2);
        EXPECT_EQ(e.rules.matchframes, 500 + i);
    }
    // The part line cut off by the close reached nothing.
    RoomEntry last;
    rooms->copy_entry(2, &last);
    EXPECT_EQ(std::string(last.address), "10.0.0.2:20182");

    // The same object refreshes again.
    kxtest::LoopbackLineServer again({room_lines(7)}, true);
    run(again.address());
    ASSERT_TRUE(eventually([&] { return !thread.is_running(); }));
    EXPECT_EQ(rooms->count(), 1);
    EXPECT_EQ(lobby_reader_line_count(), 6);
}

TEST_F(LobbyReaderThread, RefusedAndBadAddressesEndTheReader)
{
    for (const std::string &address :
         {"127.0.0.1:" + std::to_string(kxtest::closed_port()), std::string("lobby.example"), std::string("")}) {
        run(address);
        ASSERT_TRUE(eventually([&] { return !thread.is_running(); })) << address;
        EXPECT_EQ(lobby_reader_status(), LOBBY_FAILED) << address;
        EXPECT_EQ(rooms->count(), 0);
    }
}

TEST_F(LobbyReaderThread, ASilentLobbyTimesOut)
{
    // Half a line, then nothing: the silence is counted from the last byte.
    clock_set_source(test_clock);
    kxtest::LoopbackLineServer lobby({room_lines(0) + "SERVER 0;1.2"}, false);
    run(lobby.address());
    ASSERT_TRUE(eventually([&] { return lobby_reader_line_count() == 6; }));
    EXPECT_EQ(lobby_reader_status(), LOBBY_READING);
    g_now += LOBBY_SILENCE_MS;
    ASSERT_TRUE(eventually([&] { return !thread.is_running(); }));
    EXPECT_EQ(lobby_reader_status(), LOBBY_FAILED);
    EXPECT_EQ(rooms->count(), 1);
}

TEST_F(LobbyReaderThread, FuzzedLobbyBytesNeverBreakTheReader)
{
    // Lobby keywords with random arguments, random bytes and runs without a
    // line end, in random pieces; the reader keeps going to the close.
    static const char *const words[] = {"KAELMUND 0;", "SERVER 0;", "NEWGAME 0;", "INFO 1;", "DESC 0;",
                                        "CLIENTS 0;", "P_JOINT 0;", "SAY 0;", ""};
    uint32_t seed = 12345;
    auto rnd = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    std::string all;
    const long lines = 2000 * std::min(kxtest::fuzz_scale(), 50L);
    for (long i = 0; i < lines; i++) {
        all += words[rnd(9)];
        const uint32_t len = rnd(10) == 0 ? rnd(3 * LINE_MESSAGE_MAX) : rnd(40);
        for (uint32_t k = 0; k < len; k++)
            all += rnd(4) == 0 ? (char)rnd(256) : (char)(' ' + rnd(95));
        all += '\n';
    }
    std::vector<std::string> chunks;
    for (size_t i = 0; i < all.size();) {
        size_t n = 1 + rnd(600);
        chunks.push_back(all.substr(i, n));
        i += n;
    }
    kxtest::LoopbackLineServer lobby(chunks, true);
    run(lobby.address());
    ASSERT_TRUE(eventually([&] { return !thread.is_running(); }));
    EXPECT_EQ(lobby_reader_status(), LOBBY_DONE);
    EXPECT_GT(lobby_reader_line_count(), 0);
    EXPECT_LE(rooms->count(), SERVER_LIST_ENTRIES);
}
