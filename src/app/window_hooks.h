// What the game side of the program asks of the window: drawing a frame,
// the menu overlay, the mouse grab, screenshots, the turn alert and the
// cursor ray. The window fills the table when it opens; an empty entry does
// nothing, so the tick, the camera and the bindings run headless in tests.
#pragma once

struct WindowHooks {
    void (*draw_frame)(int arg);            // the frame's 3D scene and HUD
    void (*draw_menu_overlay)(void);        // only the menu, world stopped
    void (*grab_mouse)(void);
    void (*release_mouse)(void);
    void (*take_screenshot)(void);
    int (*window_has_mouse)(void);
    void (*hide_chat_input)(void);
    void (*submit_chat_input)(void);        // sends the chat input line
    void (*set_turn_alert)(void);
    void (*update_turn_alert)(void);
    void (*clear_turn_alert)(void);
    void (*toggle_fullscreen)(void);
    void (*hide_display)(int n);
    // After downloads: every player's customisation textures, then the
    // current player's; and the fighters' flames from the flames cache.
    void (*reload_player_textures)(void);
    void (*reload_flames)(void);
    // 1 when the window's close request waits in the event queue (looked
    // at, not taken).
    int (*quit_pending)(void);
};

WindowHooks *window_hooks(void);
