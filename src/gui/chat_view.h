// The rows of the drawn chat: the current tab's lines wrapped to the chat's
// wrap width, the tab's ScrollList counting those rows and keeping its view
// on them while lines arrive, and what lies under the pointer. Main thread
// only; headless (the drawing gives the glyph advances).
#pragma once
#include <cstdint>
#include <vector>

#include "app/base/message_type.h"
#include "gui/services/chat_log.h"

// One drawn row: units [start, end) of a stored line, with the font and
// colour row the line's markup has set where the row starts (-1: none).
struct ChatRow {
    int32_t line;       // index in the tab, 0 the oldest
    uint32_t serial;    // the line's serial (a line the ring dropped is gone)
    int32_t start, end;
    int32_t font, colour;
};

// The advance in pixels of one character in font 1..3.
typedef int (*ChatAdvanceFn)(int font, uint16_t ch);

// Rows of one line wrapped to width (at least one row, also for an empty
// line; at least one character per row), appended to out. Breaks after the
// last blank that fits, else before the character that does not fit.
int chat_wrap_line(const ChatLine *line, int line_index, int width, ChatAdvanceFn advance,
                   std::vector<ChatRow> *out);

// Rebuilds the current tab's rows when its lines, the layout or the
// current tab changed, then sets its list's count: a view that showed the
// last row follows the newest lines, any other view keeps its top row and
// its selection where those lines still exist. Returns the row count.
int chat_view_update(ChatAdvanceFn advance);
int chat_view_row_count(void);
// Row i of the current tab, null outside.
const ChatRow *chat_view_row(int i);
// Copies the line of row i; 0, or 1 when the line has left the ring since.
int chat_view_row_line(int i, ChatLine *out);

// The colour row of a message type: whisper, server (with or without a
// link), in-game (with or without a link), player, user, link, none.
int chat_type_colour(MessageType type);
// The list row of the current tab under window point (x, y) where the
// chat was last drawn, -1 when none.
int chat_row_at(int x, int y);
// 1 when window point (x, y) is on a drawn chat row whose line holds a
// link ("http://" or "www.").
int chat_link_at(int x, int y);
