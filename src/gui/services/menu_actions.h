// What the game asks of the menus beyond the state table: going back to
// the game with the HUD shown, the chat input opened with a text in it, the
// flame editor window and its text focus, and the last pick with its time.
#pragma once
#include <cstdint>

enum { MENU_MAIN = 3, MENU_SETUP = 6, MENU_FLAME_FORGE = 31, CHAT_PREFILL_MAX = 256 };

// The rows' own callbacks and world-runs flags: the main menu stops the
// world, the chat input and the flame editor go back to the game with the
// HUD shown.
void menu_rows_init(void);

// The window's way of hiding one numbered display (the GUI sets it).
typedef void (*HideDisplayFn)(int display);
void set_hide_display_handler(HideDisplayFn fn);

// Hides display `mode` and the menus, shows the HUD, menu state 0.
void close_to_menu(int mode);
// Shows the HUD window, menu state 0.
void show_hud(void);
// 1 while the HUD window is shown (it is from the start).
int hud_shown(void);
void hud_hide(void);

// Opens the chat input (menu state 27) filled with the text, caret at the
// end. The GUI takes the text when it shows the field.
void chat_input_open_with(const char *text);
// Copies the waiting text into out (size n) and forgets it; 0 when there
// was one, 1 when none is waiting.
int chat_input_take_prefill(char *out, int n);

// The flame editor window (menu state 31).
void open_flame_forge(void);
// 1 while a text field of the flame editor has the keyboard focus.
int get_ui_mode(void);
void set_ui_mode(int on);

// The fighter picked last and the time of that pick (ms), -1 and 0 before
// the first.
void remember_picked_joint(int fighter);
int picked_fighter(void);
uint32_t picked_time(void);
