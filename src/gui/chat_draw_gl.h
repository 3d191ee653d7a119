// The chat lines of the current tab drawn as the chat view lays them out:
// the rows its ScrollList shows, each coloured by its message type, the
// selected row marked. Main thread, inside push_ortho.
#pragma once

enum {
    CHAT_DRAW_GL = 0,               // drawn with OpenGL where the caller is
    CHAT_DRAW_TEXT_SURFACE = 1,     // written into the chat cache's text surface
};

// The window rectangle the rows took at the last chat_draw.
struct ChatBox {
    int x, y, w, h;
};

// Draws the shown rows from (x, y) downwards and stores the list's row
// geometry (for the hit test and the scroll zones).
void chat_draw(int x, int y, int mode);
ChatBox chat_drawn_box(void);
