// The menus' share of a drawn frame: the chat cache refilled when the chat
// changed, the chat drawn from that cache (or live), and the 2D hooks of
// the menu states that cover the scene. Main thread, inside the GL context.
#pragma once
#include "gui/chat_draw_gl.h"

// Where the chat's first line sits in the window.
enum { CHAT_X = 8, CHAT_Y = 80 };

// Refills the cache the `chatcache` option chooses when the chat changed,
// and clears the chat's redraw flag.
void draw_menu_background(void);
// The chat as the HUD shows it: from the framebuffer cache when it is in
// use, else drawn line by line. Inside push_ortho.
void hud_draw_chat(int height);
// The window rectangles the chat cache is drawn over for the rows of box:
// a band a row, wide enough for what that row and its neighbours drew
// (glyphs reach a little past their advance), the last reaching 4 pixels
// below the rows; the whole box when it holds no rows. Returns how many
// (at most CHAT_VISIBLE_MAX) were written to out.
struct ChatRect {
    int x, y, w, h;
};
int chat_cache_bands(const ChatBox &box, ChatRect *out);
// Gives the menu states their 2D draw hooks (the rows' other callbacks are
// the services' own).
void menu_install_draw_hooks(void);
