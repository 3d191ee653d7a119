// The buddy list, the user's equipment file and the texture reloads, on
// real files in a temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/base/user_strings.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "game/protocol/command_table.h"
#include "game/world_build.h"
#include "net/records/buddies.h"
#include "net/records/custom_record.h"
#include "net/records/player_records.h"
#include "net/records/user_equipment.h"
#include "support/test_support.h"

using kxtest::read_file;
using kxtest::ScopedChdir;
using kxtest::TempDir;
using kxtest::write_file;

TEST(Buddies, LoadSkipsCommentsAndOverlongNamesAndClearEmpties)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    EXPECT_EQ(buddies_load(), -1);
    EXPECT_EQ(buddy_count(), 0);
    write_file("data/buddies.txt", "# friends\n  Rook \n\nmarta\n" + std::string(300, 'x') + "\nLast");
    std::string err = kxtest::stderr_of([] { EXPECT_EQ(buddies_load(), 3); });
    EXPECT_NE(err.find("buddies.txt:5: name longer than 31"), std::string::npos) << err;
    char name[BUDDY_NAME_SIZE];
    EXPECT_EQ(buddy_name(0, name, sizeof name), 0);
    EXPECT_STREQ(name, "Rook");
    EXPECT_EQ(buddy_name(2, name, sizeof name), 0);
    EXPECT_STREQ(name, "Last");
    EXPECT_EQ(buddy_name(3, name, sizeof name), 1);
    EXPECT_TRUE(is_buddy("MARTA"));
    EXPECT_FALSE(is_buddy("xxx"));
    buddies_clear();
    EXPECT_EQ(buddy_count(), 0);
}

TEST(Buddies, ListUnderItsMutexWhileAnotherThreadReads)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    write_file("data/buddies.txt", "a\nb\nc\n");
    std::thread reader([] {
        char name[BUDDY_NAME_SIZE];
        for (int i = 0; i < 2000; i++) {
            is_buddy("b");
            buddy_name(i % 4, name, sizeof name);
        }
    });
    for (int i = 0; i < 200; i++) {
        buddies_load();
        buddies_clear();
    }
    reader.join();
    EXPECT_EQ(buddy_count(), 0);
}

TEST(UserEquipment, GhostLineSavesAndLoadsBackAndAFailedWriteKeepsTheFile)
{
    TempDir dir;
    ScopedChdir cd(dir.path());
    set_nick(nullptr);
    EXPECT_EQ(save_user_equipment(), 1);            // no one logged in
    set_nick("[Clan]Rook");
    // The server's ghost line goes to the user's own folder.
    ASSERT_EQ(parse_cmd(CMD_SOURCE_SERVER, "GHOST 0;4 5 6", -1, nullptr), 0);
    ASSERT_EQ(read_file("custom/rook/equipment.dat"), "# equipment\n4 5 6\n");
    *get_ghost_buffer() = GhostBuffer{};
    ASSERT_EQ(load_user_equipment(), 0);
    EXPECT_EQ(get_ghost_buffer()->value[2], 6);
    EXPECT_EQ(get_ghost_buffer()->set, 1);

    get_ghost_buffer()->value[0] = 9;
    kxtest::stderr_of([] {
        kxtest::FileSizeLimit full(4);      // the write beside the file fails
        EXPECT_EQ(save_user_equipment(), 1);
    });
    EXPECT_EQ(read_file("custom/rook/equipment.dat"), "# equipment\n4 5 6\n");

    write_file("custom/rook/equipment.dat", "# nothing\nabc\n");
    kxtest::stderr_of([] { EXPECT_EQ(load_user_equipment(), 1); });
    EXPECT_EQ(get_ghost_buffer()->value[0], 9);     // left as it was
    // The tail of an overlong comment line is not read as a line of its own.
    write_file("custom/rook/equipment.dat", "#" + std::string(254, 'x') + "7 8 9\n");
    kxtest::stderr_of([] { EXPECT_EQ(load_user_equipment(), 1); });
    EXPECT_EQ(get_ghost_buffer()->value[0], 9);

    set_nick("../up");
    kxtest::stderr_of([] { EXPECT_EQ(save_user_equipment(), 1); });
    set_nick(nullptr);
}

namespace {
std::string g_loads;
int record_textures(int fighter, int player, const char *name)
{
    g_loads += std::to_string(fighter) + std::to_string(player) + ":" + name + " ";
    return 0;
}
} // namespace

TEST(PlayerTextures, AllFightersFromTheirFoldersAndThePlayerFromTheUsersOwn)
{
    ASSERT_EQ(init_game(), 0);
    game_callbacks()->player_textures = record_textures;
    set_player_name(0, "Ann");
    set_player_name(1, "Bo");
    g_loads.clear();
    apply_all_player_textures();
    EXPECT_EQ(g_loads, "00:Ann 11:Bo ");

    set_nick("[Kx]Pilot");
    get_game_globals()->selected_player = 1;
    g_loads.clear();
    apply_player_textures();
    EXPECT_EQ(g_loads, "11:pilot ");
    get_game_globals()->network_mode = 1;
    get_game_globals()->own_slot = 0;
    g_loads.clear();
    apply_player_textures();
    EXPECT_EQ(g_loads, "00:pilot ");

    game_callbacks()->player_textures = nullptr;
    set_nick(nullptr);
    free_game();
}
