#include <gtest/gtest.h>

#include <string>

#include "gui/chat_view.h"
#include "gui/services/scroll_list.h"

// The chat's rows with a fixed-width font (10 pixels a character, 20 in
// font 2): wrapping, the list's view while lines arrive and the ring drops
// old ones, the scroll keys' list operations and the hit test.
namespace {

int ten(int font, uint16_t) { return font == 2 ? 20 : 10; }

// The text of row i as plain characters.
std::string row_text(int i)
{
    const ChatRow *r = chat_view_row(i);
    ChatLine line;
    if (!r || chat_view_row_line(i, &line) != 0)
        return "<none>";
    std::string s;
    for (int k = r->start; k < r->end; k++)
        s += (char)line.text[k];
    return s;
}

// A 10-pixel-per-character chat of the given width and rows.
void layout(int chars, int rows)
{
    chat_update_layout(10, chars * 10 + 2 * CHAT_ORIGIN_X, CHAT_ORIGIN_Y + (rows + 3) * 10 + 16);
}

} // namespace

TEST(ChatView, LinesWrapAtBlanksOrHardInsideTheWidth)
{
    chat_init();
    layout(10, 20);
    console_echo("aaaa bbbb cccc", MSG_INGAME);     // breaks after the blanks
    console_echo("0123456789abcdef", MSG_INGAME);   // no blank: cut at the width
    console_echo("", MSG_INGAME);                   // still one row
    console_echo("^05xxxxxxxx~2yyyy", MSG_INGAME);   // markup: colour and font carried
    ASSERT_EQ(chat_view_update(ten), 7);
    EXPECT_EQ(row_text(0), "aaaa bbbb ");
    EXPECT_EQ(row_text(1), "cccc");
    EXPECT_EQ(row_text(2), "0123456789");
    EXPECT_EQ(row_text(3), "abcdef");
    EXPECT_EQ(row_text(4), "");
    EXPECT_EQ(row_text(5), "^05xxxxxxxx~2y");
    EXPECT_EQ(row_text(6), "yyy");
    EXPECT_EQ(chat_view_row(6)->colour, 5);
    EXPECT_EQ(chat_view_row(6)->font, 2);
    EXPECT_EQ(chat_type_colour(MSG_WHISPER | MSG_SERVER), 86);     // whisper wins
}

TEST(ChatView, ViewFollowsTheNewestUntilScrolledAndKeepsItsRowsAfterwards)
{
    chat_init();
    layout(40, 5);
    for (int i = 0; i < 10; i++)
        console_echo(("line " + std::to_string(i)).c_str(), MSG_INGAME);
    chat_view_update(ten);
    ScrollList *l = chat_current_scroll();
    EXPECT_EQ(l->count, 10);
    EXPECT_EQ(l->offset, 5);                 // the newest five
    console_echo("line 10", MSG_INGAME);
    chat_view_update(ten);
    EXPECT_EQ(l->offset, 6);
    EXPECT_EQ(row_text(l->offset + 4), "line 10");

    list_move_up(l);                         // PageUp: the last row selected
    for (int k = 0; k < 5; k++)
        list_move_up(l);                     // past the view's top: it scrolls
    EXPECT_EQ(l->offset, 5);
    EXPECT_EQ(list_selected_index(l), 5);
    console_echo("line 11", MSG_INGAME);     // a scrolled view stays where it is
    chat_view_update(ten);
    EXPECT_EQ(l->offset, 5);
    EXPECT_EQ(row_text(list_selected_index(l)), "line 5");
    list_reset(l);                           // Home
    EXPECT_EQ(l->offset, 0);
    list_select_last(l);                     // End: follows again
    console_echo("line 12", MSG_INGAME);
    chat_view_update(ten);
    EXPECT_EQ(row_text(l->offset + 4), "line 12");

    // Tab's 22 lines are as many as fit in the window; a view at the end
    // stays at the end when it shrinks again.
    chat_set_visible_lines(22);
    EXPECT_EQ(l->visible, 5);
    layout(40, 30);
    EXPECT_EQ(l->visible, CHAT_VISIBLE_MAX);
    EXPECT_EQ(l->offset, 0);
    chat_set_visible_lines(5);
    EXPECT_EQ(l->offset, 13 - 5);
}

TEST(ChatView, FullRingOfLongLinesScrollsInsideTheWindowAtEverySize)
{
    chat_init();
    std::string long_line(255, 'w');
    for (int i = 0; i < 200; i++) {
        long_line[0] = (char)('a' + i % 26);
        console_echo(long_line.c_str(), MSG_INGAME);
    }
    ScrollList *l = chat_current_scroll();
    for (int chars : {1, 7, 100, 400}) {
        for (int rows : {1, 4, 20}) {
            layout(chars, rows);
            const int n = chat_view_update(ten);
            const int per_row = chars < 100 ? chars : 100;      // CHAT_WRAP_MAX
            EXPECT_EQ(n, CHAT_TAB_LINES * ((255 + per_row - 1) / per_row));
            EXPECT_LE(l->visible, rows);
            EXPECT_EQ(l->offset, n - l->visible);
            EXPECT_LE(chat_wrap_width(), CHAT_WRAP_MAX);
            for (int i = 0; i < n; i += 97)
                ASSERT_LE((int)row_text(i).size() * 10, chat_wrap_width());
            for (int k = 0; k < n + 3; k++)
                list_move_up(l);
            EXPECT_EQ(l->offset, 0);
            EXPECT_EQ(list_selected_index(l), 0);
            for (int k = 0; k < n + 3; k++)
                list_move_down(l);
            EXPECT_EQ(list_selected_index(l), n - 1);
        }
    }
    // A window too small for any row still keeps one.
    chat_update_layout(10, 4, 4);
    EXPECT_EQ(chat_wrap_width(), 1);
    EXPECT_EQ(chat_max_rows(), 1);
}

TEST(ChatView, PointerFindsRowsScrollZonesAndLinks)
{
    chat_init();
    layout(40, 5);
    console_echo("plain words", MSG_INGAME);
    console_echo("see www.example.org", MSG_INGAME);
    chat_view_update(ten);
    ScrollList *l = chat_current_scroll();
    l->x = CHAT_ORIGIN_X;           // where the drawing put the rows
    l->y = CHAT_ORIGIN_Y;
    l->width = chat_wrap_width();
    l->row_height = chat_line_height();
    EXPECT_EQ(chat_link_at(20, 82), 0);
    EXPECT_EQ(chat_link_at(20, 95), 1);
    EXPECT_EQ(chat_link_at(4, 95), 0);
    EXPECT_EQ(chat_link_at(20, 105), 0);
    EXPECT_EQ(list_mouse_hit(l, 20, 95), 1);
    EXPECT_EQ(l->cursor, 1);
    EXPECT_EQ(list_mouse_hit(l, 20, 75), LIST_HIT_SCROLL_UP);
    EXPECT_EQ(l->scroll_up_request, 1);
    EXPECT_EQ(list_mouse_hit(l, 20, 300), LIST_HIT_NONE);     // moved away: no more scrolling
    EXPECT_EQ(l->scroll_up_request, 0);
    EXPECT_EQ(chat_row_at(20, 130), -1);
}
