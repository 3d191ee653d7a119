// The menu-state table: one row per menu state 0..31 (0 is no menu). The
// tick and the frame drawing read the current row's world-runs flag and 2D
// draw hook; the windows fill in their rows' callbacks when they are made.
#pragma once
#include <cstdint>

enum { MENU_STATE_COUNT = 32 };

typedef void (*MenuHook)(void);

struct MenuState {
    MenuHook draw2d;        // drawn in 2D while the state is current, or null
    MenuHook enter;         // run by menu_set_state, or null
    MenuHook back;          // the back action, or null (back to state 0)
    int32_t world_runs;     // 1: the world keeps running and is drawn behind
    int32_t selection;      // selected entry, -1 when none
    int32_t number;         // entries of the state's menu
};

// Row n, null outside 0..31.
MenuState *menu_state_row(int n);

// Makes n current, resets its selection to -1 and runs its enter callback.
// Returns 0, or 1 for a number outside 0..31 (nothing changes).
int menu_set_state(int n);
// The same with the given selection.
int menu_set_state_arg(int n, int selection);
// The back action of the current state: its back callback, or state 0.
void menu_back(void);
// The current menu state (0 none).
int get_menu_mode(void);
// The current row (never null).
const MenuState *menu_current_row(void);
