// The online services inside the program, headless: the objects made and
// freed in their order, the tick polling the room links and announcing
// finished downloads, and a room-list refresh on the lobby thread, all
// against servers of our own on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/base/download_queue.h"
#include "app/base/options.h"
#include "app/base/threads.h"
#include "app/lobby_thread.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_state.h"
#include "net/download_worker.h"
#include "net/lobby_reader.h"
#include "net/records/server_list.h"
#include "net/room_link.h"
#include "support/loopback_servers.h"
#include "support/test_support.h"

namespace {

int g_texture_reloads, g_flame_reloads;
void count_textures(void) { g_texture_reloads++; }
void count_flames(void) { g_flame_reloads++; }

struct OnlineProgram {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    OnlineProgram()
    {
        mkdir("replay", 0755);
        option_set(OPT_AUTOUPDATE, 1);
        EXPECT_EQ(program_create_objects(), 0);
        options_load();
        menu_set_state(0);
        window_hooks()->reload_player_textures = count_textures;
        window_hooks()->reload_flames = count_flames;
    }
    ~OnlineProgram()
    {
        program_destroy_objects();
        *window_hooks() = WindowHooks{};
    }
};

bool console_has(const std::string &text)
{
    for (int i = 0; i < chat_line_count(0); i++) {
        ChatLine line;
        chat_line_copy(0, i, &line);
        std::string s;
        for (const uint16_t *u = line.text; *u; u++)
            s += (char)*u;
        if (s == text)
            return true;
    }
    return false;
}

} // namespace

TEST(OnlineTickThread, RoomLinksArePolledOnEveryFifthTick)
{
    OnlineProgram p;
    RoomLink *links = program_objects()->room_links;
    ASSERT_NE(links, nullptr);
    kxtest::TcpListener room;
    const int tab = chat_tab_open(5, "room");
    ASSERT_EQ(room_link_open(&links[2], room.address().c_str(), tab), 0);
    int peer = room.accept_one(5000);
    ASSERT_GE(peer, 0);
    for (int i = 0; i < 100000 && !room_link_is_connected(&links[2]); i++)
        on_tick(0);
    ASSERT_TRUE(room_link_is_connected(&links[2]));
    const int before = chat_line_count(tab);
    std::string lines;
    for (int i = 0; i < 20; i++)
        lines += "SAY 1;line " + std::to_string(i) + "\n";
    ASSERT_TRUE(kxtest::send_all(peer, lines));
    // Wait until the bytes are there, through one poll of the link itself.
    for (int i = 0; i < 5000 && links[2].socket.received == 0; i++) {
        usleep(200);
        room_link_poll(&links[2]);
    }
    const int after_first = chat_line_count(tab);
    ASSERT_EQ(after_first, before + 1);
    // Any 25 ticks in a row hold five that are multiples of five.
    for (int i = 0; i < 25; i++)
        on_tick(0);
    EXPECT_EQ(chat_line_count(tab), after_first + 5);
    close(peer);
}

TEST(OnlineTickThread, FinishedDownloadsAreAnnouncedAndTheWorkerEndsWithTheProgram)
{
    kxtest::LoopbackHttpServer http;
    http.route("/items.php?username=dee", "dee's items\n");
    http.route("/flames.php?username=dee", "dee's flames\n");
    {
        OnlineProgram p;
        ASSERT_TRUE(download_worker_running());
        download_set_base_url(http.base_url().c_str());
        download_enqueue(0, "dee");
        for (int i = 0; i < 6000 && !console_has("download complete"); i++) {
            on_tick(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(console_has("download complete"));
        EXPECT_TRUE(console_has("download of flames cache complete"));
        EXPECT_EQ(g_texture_reloads, 1);
        EXPECT_EQ(g_flame_reloads, 1);
        EXPECT_EQ(kxtest::read_file("custom/dee/item.dat"), "dee's items\n");
    }
    EXPECT_FALSE(download_worker_running());
    download_set_base_url(DOWNLOAD_BASE_URL_DEFAULT);
}

TEST(OnlineTickThread, ARefreshFillsTheProgramsRoomListFromTheLobbyThread)
{
    kxtest::LoopbackLineServer silent({"KAELMUND 0;\n"}, false);
    {
        OnlineProgram p;
        kxtest::LoopbackLineServer lobby(
            {"KAELMUND 0;\nSERVER 0;10.1.2.3 hall\nKAELMUND 0;\nSERVER 0;10.1.2.4 yard\n"}, true);
        ASSERT_EQ(lobby_refresh(lobby.address().c_str()), 0);
        WorkerThread *t = get_lobby_thread();
        for (int i = 0; i < 6000 && t->is_running(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(lobby_reader_status(), LOBBY_DONE);
        ServerList *rooms = program_objects()->server_list;
        ASSERT_EQ(rooms->count(), 2);
        RoomEntry e;
        rooms->copy_entry(1, &e);
        EXPECT_STREQ(e.name, "yard");

        // A lobby that keeps its connection open and says nothing more:
        // the program's shutdown still ends the reader.
        ASSERT_EQ(lobby_refresh(silent.address().c_str()), 0);
        for (int i = 0; i < 6000 && lobby_reader_line_count() < 1; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(lobby_reader_line_count(), 1);
        EXPECT_EQ(rooms->count(), 1);
    }
    EXPECT_EQ(get_lobby_thread(), nullptr);
    EXPECT_EQ(lobby_reader_status(), LOBBY_READING);
}
