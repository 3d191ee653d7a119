// The game's meaning of keys and mouse: the key callback with its command
// table (on key release), the camera keys held, the pick callback and the
// ray pick that selects a fighter, a joint or a hand under the cursor, and
// the joint click. Key symbols and modifier bits are SDL 1.2's.
#pragma once

enum KeySym {
    KEY_TAB = 9, KEY_RETURN = 13, KEY_ESCAPE = 27, KEY_SPACE = 32, KEY_SLASH = 47,
    KEY_1 = 49, KEY_2, KEY_3, KEY_4, KEY_5,
    KEY_LEFTBRACKET = 91, KEY_RIGHTBRACKET = 93,
    KEY_A = 97, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L,
    KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X,
    KEY_Y, KEY_Z,
    KEY_KP2 = 258, KEY_KP4 = 260, KEY_KP6 = 262, KEY_KP8 = 264, KEY_KP_ENTER = 271,
    KEY_UP = 273, KEY_DOWN, KEY_RIGHT, KEY_LEFT,
    KEY_HOME = 278, KEY_END, KEY_PAGEUP, KEY_PAGEDOWN,
    KEY_F7 = 288, KEY_F8 = 289,
    KEY_RSHIFT = 303, KEY_LSHIFT, KEY_RCTRL, KEY_LCTRL, KEY_RALT, KEY_LALT, KEY_RMETA, KEY_LMETA,
};

enum KeyMod {
    MOD_LSHIFT = 0x1, MOD_RSHIFT = 0x2, MOD_LCTRL = 0x40, MOD_RCTRL = 0x80,
    MOD_LALT = 0x100, MOD_RALT = 0x200, MOD_NUM = 0x1000,
    MOD_SHIFT = MOD_LSHIFT | MOD_RSHIFT, MOD_CTRL = MOD_LCTRL | MOD_RCTRL,
};

enum { HOVER_NONE = 0, HOVER_JOINT = 1, HOVER_HAND = 2, MENU_CHAT_INPUT = 27 };

struct WorldState;

int on_key(int sym, int unicode, int mods, int pressed);
int handle_key_command(WorldState *w, int sym, int unicode, int mods, int pressed);
void on_pick(int mods, int pressed, const double *near_pt, const double *far_pt, int x, int y);
void mouse_pick_joint(int mods, int pressed, const double *near_pt, const double *far_pt, int x, int y);
void joint_click(int mods, int fighter, int joint, int pressed);
void on_mouse_button(int type, int button, int x, int y);

// Held camera keys (bits of camera.h) and the drag by Alt or Meta or the
// right button.
int camera_keys_held(void);
void camera_keys_clear_all(void);
int camera_drag_on(void);
void camera_drag_set(int on);
// The keyboard-to-game flag: cleared while a text field has the focus.
// Each change clears the camera keys, so no key stays held across it.
void ui_flag_set(void);
void ui_flag_clear(void);
int ui_flag(void);
int hover_kind(void);
// The cursor kind the pointer should show now: 1 over a chat link or over
// a joint or hand that a click would change in live play, else 0.
int cursor_kind_wanted(int over_link);
int get_selected_body(void);
void set_pick_disabled_fighter(int i);
void set_camera_movement_disabled(int on);
void set_space_deadline(unsigned ms);
// The chat scroll keys (Page Down, Page Up, Home, End) on the current chat
// tab's list; 1 when the key is one of them. input_line_keys does the same
// only while the chat input is open.
int chat_scroll_keys(int sym);
int input_line_keys(int sym);
// The script hook mouse_move with the pointer (a button held).
int script_hook_mouse_move(int buttons, int x, int y);
// The menu state kept by remember_mode, entered again with the keys back
// to the game.
void remember_mode(int state);
void restore_previous_mode(void);
// The options written to the configuration file now.
void options_save_now(void);
// What scripts ask of the bindings: the camera keys off and on, a fighter
// that a click no longer selects, and the end of a tutorial (Space acts on
// the replay 3 s later).
void enable_camera_movement(void);
void disable_camera_movement(void);
void disable_player_select(int fighter);
void end_tutorial(void);
// Forgets the last key event and the selection (a new program run).
void key_bindings_reset(void);
void mouse_pick_reset(void);
// Restarts a running ghost preview after a joint or grip change.
void restart_preview(void);
