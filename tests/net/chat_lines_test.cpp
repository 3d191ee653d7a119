// Whispers and disconnections from the game server reach the chat tabs
// through parse_cmd and the game's callbacks, as the running program wires
// them.
#include <gtest/gtest.h>

#include <string>

#include "app/base/text_encoding.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "game/protocol/command_table.h"
#include "gui/services/chat_log.h"

namespace {

void echo_tab(int tab, const char *text, int type) { console_echo_tab(tab, text, (MessageType)type); }

// The last line of a tab as "type:text".
std::string last_line(int tab)
{
    ChatLine line;
    if (chat_line_copy(tab, chat_line_count(tab) - 1, &line) != 0)
        return "<none>";
    char buf[CHAT_LINE_UNITS * 3];
    utf16_to_local(buf, line.text, (int)sizeof buf - 1);
    return std::to_string(line.type) + ":" + buf;
}

void server(const std::string &l) { parse_cmd(CMD_SOURCE_SERVER, l.c_str(), (int)l.size(), nullptr); }

} // namespace

TEST(ChatLines, WhispersFindTheirTabAndADisconnectionFreesIt)
{
    chat_init();
    GameCallbacks *cb = game_callbacks();
    cb->echo_tab = echo_tab;
    cb->chat_tab_find = chat_tab_find;
    cb->chat_tab_open = chat_tab_open;
    cb->chat_tab_unbind = chat_tab_unbind;
    set_own_id(5);

    server("WHISPER 5;9 *friend hello there\n");   // from 9 to me: a tab for 9
    const int tab = chat_tab_find(9);
    ASSERT_GT(tab, 0);
    EXPECT_EQ(last_line(tab), "8:friend: hello there");
    server("WHISPER 9;5 *friend back at you\n");   // from me to 9: the same tab
    EXPECT_EQ(last_line(tab), "8:friend: back at you");
    server("WHISPER 12;5 *stranger hi\n");         // from me to 12: no tab of 12
    EXPECT_EQ(chat_tab_find(12), -1);
    EXPECT_EQ(last_line(0), "32:*stranger hi");
    server("WHISPER 5;5 *myself a note\n");        // from me to me: unchanged
    EXPECT_EQ(last_line(0), "32:5 *myself a note");

    server("DISCONNECT 9;friend left\n");
    EXPECT_EQ(last_line(0), "1:friend left");
    EXPECT_EQ(last_line(tab), "1:friend left");
    EXPECT_EQ(chat_tab_find(9), -1);
    server("WHISPER 5;9 *newcomer hi\n");          // id 9 again: a tab of its own
    EXPECT_NE(chat_tab_find(9), tab);
    EXPECT_EQ(last_line(tab), "1:friend left");
    *cb = GameCallbacks{};
}
