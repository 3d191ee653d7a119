// Whispers and disconnections from the game server reach the chat tabs
// through parse_cmd and the game's callbacks, wired as the program wires them.
#include <gtest/gtest.h>

#include <string>

#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "game/protocol/command_table.h"
#include "gui/chat_text.h"

static void echo_tab(int tab, const char *text, int type) { console_echo_tab(tab, text, (MessageType)type); }

TEST(ChatLines, WhispersFindTheirTabAndADisconnectionFreesIt)
{
    chat_init();
    GameCallbacks *cb = game_callbacks();
    const GameCallbacks saved = *cb;
    cb->echo_tab = echo_tab;
    cb->chat_tab_find = chat_tab_find;
    cb->chat_tab_open = chat_tab_open;
    cb->chat_tab_unbind = chat_tab_unbind;
    set_own_id(5);
    // The line, the tab its text lands in (tabs open from 1), "type:text".
    const struct { const char *line; int tab; const char *shown; } rows[] = {
        {"WHISPER 5;9 *friend hello", 1, "8:friend: hello"},        // to me: a tab for 9
        {"WHISPER 9;5 *friend back", 1, "8:friend: back"},          // from me to 9
        {"WHISPER 12;5 *stranger hi", 0, "32:*stranger hi"},        // from me, 12 has no tab
        {"WHISPER 5;5 *myself a note", 0, "32:5 *myself a note"},   // from and to me
        {"DISCONNECT 9;friend left", 1, "1:friend left"},
        {"WHISPER 5;9 *newcomer hi", 2, "8:newcomer: hi"},          // 9's old tab is free
    };
    for (const auto &r : rows) {
        parse_cmd(CMD_SOURCE_SERVER, r.line, -1, nullptr);
        ChatLine line;
        const int last = chat_line_count(r.tab) - 1;
        ASSERT_EQ(chat_line_copy(r.tab, last, &line), 0) << r.line;
        EXPECT_EQ(std::to_string(line.type) + ":" + chat_text(r.tab, last), r.shown) << r.line;
    }
    *cb = saved;
}
