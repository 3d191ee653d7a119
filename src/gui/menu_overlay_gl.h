// The menus' share of a drawn frame: the chat cache refilled when the chat
// changed, the chat drawn from that cache (or live), and the 2D hooks of
// the menu states that cover the scene. Main thread, inside the GL context.
#pragma once

// Where the chat's first line sits in the window.
enum { CHAT_X = 8, CHAT_Y = 80 };

// Refills the cache the `chatcache` option chooses when the chat changed,
// and clears the chat's redraw flag.
void draw_menu_background(void);
// The chat as the HUD shows it: from the framebuffer cache when it is in
// use, else drawn line by line. Inside push_ortho.
void hud_draw_chat(int height);
// Gives the menu states their 2D draw hooks (the rows' other callbacks are
// the services' own).
void menu_install_draw_hooks(void);
