// The bout list, the spectator names and the lobby room list (filled by the
// lobby reader's thread while the main thread reads it: LobbyThread).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/records/bout_list.h"
#include "net/records/server_list.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(BoutList, EntryReadsSixNumbersANameAndANumber)
{
    BoutLine e;
    EXPECT_EQ(parse_bout_entry("17 2500 3 120 1 0 kaelfan 9\n", &e), 8);
    EXPECT_EQ(std::vector<int>({e.server_id, e.qi, e.streak, e.winnings, e.flags, e.word7}),
              std::vector<int>({17, 2500, 3, 120, 1, 9}));
    EXPECT_STREQ(e.name, "kaelfan");

    std::string longname(1000, 'n');
    EXPECT_EQ(parse_bout_entry(("1 2 3 4 5 6 " + longname + " 7").c_str(), &e), 8);
    EXPECT_EQ(strlen(e.name), (size_t)BOUT_LINE_NAME_SIZE - 1);
    EXPECT_EQ(e.word7, 7);

    EXPECT_EQ(parse_bout_entry("1 2", &e), 2);
    EXPECT_STREQ(e.name, "");
}

TEST(BoutList, SpectatorNamesAreSplitAtTabsAndBounded)
{
    EXPECT_EQ(set_spectators("ann\tbob\t\tcyd\r\nzz"), 3);
    EXPECT_EQ(get_spectator_count(), 3);
    BoutListEntry *list = get_bout_entry(0);
    EXPECT_STREQ(list->names[0], "ann");
    EXPECT_STREQ(list->names[2], "cyd");
    EXPECT_STREQ(list->names[3], "");
    EXPECT_EQ(get_bout_entry(BOUT_LISTS), nullptr);
    set_spectator_count(0);
    EXPECT_EQ(get_spectator_count(), 0);
}

// (Lobby lines reach the room entries through parse_cmd in LobbyThread.)
TEST(ServerList, LobbyLinesNeedAnEntryAndAreTrimmed)
{
    auto list = std::make_unique<ServerList>();
    CaptureStderr();
    EXPECT_EQ(list->set_server("10.0.0.1 early"), 1);   // before any greeting
    EXPECT_NE(GetCapturedStderr().find("SERVER without a room entry"), std::string::npos);
    EXPECT_EQ(list->begin_entry(), 0);
    EXPECT_EQ(list->set_server("10.0.0.2:20184 dojo extra\n"), 0);
    EXPECT_EQ(list->set_desc("  A room for beginners\r\n"), 0);
    EXPECT_EQ(list->set_desc(""), 0);   // an empty description keeps the old one
    RoomEntry e;
    ASSERT_EQ(list->copy_entry(0, &e), 0);
    EXPECT_STREQ(e.address, "10.0.0.2:20184");
    EXPECT_STREQ(e.name, "dojo");
    EXPECT_STREQ(e.desc, "A room for beginners");
    EXPECT_EQ(list->copy_entry(1, &e), 1);
    EXPECT_EQ(list->copy_entry(-1, &e), 1);
}

TEST(ServerList, FullListRefusesAndClearStartsAgain)
{
    auto list = std::make_unique<ServerList>();
    for (int i = 0; i < SERVER_LIST_ENTRIES; i++)
        ASSERT_EQ(list->begin_entry(), 0);
    CaptureStderr();
    EXPECT_EQ(list->begin_entry(), 1);
    EXPECT_EQ(list->set_desc("lost"), 1);   // no current entry any more
    std::string err = GetCapturedStderr();
    EXPECT_NE(err.find("Room list full"), std::string::npos);
    RoomEntry e;
    ASSERT_EQ(list->copy_entry(255, &e), 0);
    EXPECT_STREQ(e.desc, "");
    EXPECT_EQ(list->count(), SERVER_LIST_ENTRIES);
    list->clear();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->begin_entry(), 0);
    EXPECT_EQ(list->count(), 1);
}

TEST(ServerList, TargetIsForgottenWhenTheListGoes)
{
    {
        auto list = std::make_unique<ServerList>();
        set_lobby_handler_target(list.get());
        EXPECT_EQ(get_lobby_handler_target(), list.get());
    }
    EXPECT_EQ(get_lobby_handler_target(), nullptr);
}
