#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/base/text.h"
#include "gui/chat_text.h"

namespace {

int vetoes;
int veto_secret(int, const char *text, MessageType)
{
    if (std::string(text).find("secret") != std::string::npos) {
        vetoes++;
        return 1;
    }
    return 0;
}

int filter_calls;
int echoing_filter(int, const char *text, MessageType)
{
    filter_calls++;
    // A filter that echoes itself must not be asked about its own line.
    console_echo((std::string("seen: ") + text).c_str(), MSG_INGAME);
    return 0;
}

} // namespace

// (A script's console hook vetoing lines and its removal are checked in
// ScriptHooks.ConsoleHookVetoesLines and DeletingTheContextRemovesTheConsoleHook.)
TEST(ChatLog, LineGoesToCurrentTabUnlessVetoed)
{
    chat_init();
    chat_set_console_filter(veto_secret);
    console_echo("hello", MSG_SERVER);
    console_echo("my secret", MSG_INGAME);
    EXPECT_EQ(chat_line_count(0), 1);
    EXPECT_EQ(chat_text(0, 0), "hello");

    int tab = chat_tab_open(77, "friend");
    ASSERT_GT(tab, 0);
    ASSERT_EQ(chat_set_current_tab(tab), 0);
    console_echo("to the friend\n", MSG_WHISPER);
    ASSERT_EQ(chat_line_count(tab), 1);
    EXPECT_EQ(chat_text(tab, 0), "to the friend");   // line end not stored
    ChatLine line;
    ASSERT_EQ(chat_line_copy(tab, 0, &line), 0);
    EXPECT_EQ(line.type, MSG_WHISPER);
    EXPECT_EQ(chat_line_count(0), 1);

    // The veto holds for lines into a named tab too.
    console_echo_tab(0, "secret again", MSG_INGAME);
    EXPECT_EQ(chat_line_count(0), 1);
    EXPECT_EQ(vetoes, 2);

    // A filter that echoes is not asked about its own line.
    ASSERT_EQ(chat_set_current_tab(0), 0);
    chat_set_console_filter(echoing_filter);
    console_echo("original", MSG_INGAME);
    chat_set_console_filter(nullptr);
    EXPECT_EQ(filter_calls, 1);
    ASSERT_EQ(chat_line_count(0), 3);
    EXPECT_EQ(chat_text(0, 1), "seen: original");
    EXPECT_EQ(chat_text(0, 2), "original");
}

TEST(ChatLog, FullTabKeepsNewest128InOrderFromEitherThread)
{
    chat_init();
    for (int i = 0; i < 400; i++)
        console_echo(("line " + std::to_string(i)).c_str(), MSG_INGAME);
    ASSERT_EQ(chat_line_count(0), 128);
    EXPECT_EQ(chat_text(0, 0), "line 272");
    EXPECT_EQ(chat_text(0, 127), "line 399");
    EXPECT_EQ(chat_text(0, 128), "<none>");

    chat_clear_all();
    EXPECT_EQ(chat_line_count(0), 0);
    EXPECT_EQ(chat_current_scroll()->count, 0);
    EXPECT_EQ(chat_current_scroll()->cursor, -1);
    // Lines from another thread at the same time are stored too.
    std::thread t([] {
        for (int i = 0; i < 200; i++)
            console_echo_tab(0, "lobby", MSG_SERVER);
    });
    for (int i = 0; i < 200; i++)
        console_echo_tab(0, "main", MSG_INGAME);
    t.join();
    EXPECT_EQ(chat_line_count(0), 128);
}

TEST(ChatLog, LongAndBadInputIsBounded)
{
    chat_init();
    // 2000 euro signs: 6000 bytes, cut to whole characters in one line.
    std::string big;
    for (int i = 0; i < 2000; i++)
        big += "\xe2\x82\xac";
    console_echo(big.c_str(), MSG_INGAME);
    console_echo(nullptr, MSG_INGAME);
    console_echo_tab(8, "no such tab", MSG_INGAME);
    console_echo_tab(-1, "no such tab", MSG_INGAME);
    ASSERT_EQ(chat_line_count(0), 2);
    ChatLine line;
    ASSERT_EQ(chat_line_copy(0, 0, &line), 0);
    int n = wstr_len(line.text);
    EXPECT_GT(n, 900);
    EXPECT_LT(n, CHAT_LINE_UNITS);
    for (int i = 0; i < n; i++)
        ASSERT_EQ(line.text[i], 0x20AC);
    EXPECT_EQ(chat_text(0, 1), "");
    EXPECT_EQ(chat_line_copy(9, 0, &line), 1);
}

TEST(ChatLog, TabsBindToIdsUntilFull)
{
    chat_init();
    EXPECT_EQ(chat_tab_find(5), -1);
    int a = chat_tab_open(5, "five");
    EXPECT_EQ(chat_tab_open(5, "again"), a);
    EXPECT_EQ(chat_tab_find(5), a);
    chat_tab_set_flag(a, CHAT_TAB_WHISPER);
    EXPECT_EQ(chat_tab_kind(a), CHAT_TAB_WHISPER);
    for (int id = 100; id < 106; id++)
        EXPECT_GT(chat_tab_open(id, "x"), 0);
    EXPECT_EQ(chat_tab_open(200, "one too many"), -1);
    EXPECT_EQ(chat_set_current_tab(8), 1);
}
