// The chat lines of the current tab drawn as the chat view lays them out:
// the rows its ScrollList shows, each coloured by its message type, the
// selected row marked. Main thread, inside push_ortho.
#pragma once

enum {
    CHAT_DRAW_GL = 0,               // drawn with OpenGL where the caller is
    CHAT_DRAW_TEXT_SURFACE = 1,     // written into the chat cache's text surface
};

#include "gui/services/chat_log.h"

// The window rectangle the rows took at the last chat_draw, with the
// height of a row and where each row's drawing ends on the right (its text,
// or the whole width for the selected row's mark), and whether all of a
// row's drawing stayed inside its own row (glyphs of big fonts may reach
// into the rows next to it).
struct ChatBox {
    int x, y, w, h;
    int rows, row_h;
    int row_right[CHAT_VISIBLE_MAX];
    bool row_inside[CHAT_VISIBLE_MAX];
};

// Draws the shown rows from (x, y) downwards and stores the list's row
// geometry (for the hit test and the scroll zones).
void chat_draw(int x, int y, int mode);
// chat_draw that draws only the shown rows first..end-1 (counted from the
// top); the box's entries of the other rows are left at zero.
void chat_draw_rows(int x, int y, int mode, int first, int end);
ChatBox chat_drawn_box(void);
// Replaces the box (a cache that drew only some of the rows).
void chat_set_drawn_box(const ChatBox &box);
