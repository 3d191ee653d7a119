#include "gui/services/menu_state.h"

#include <cstdio>

// Every state starts without callbacks and with the world running; a
// window that covers the scene clears its row's flag when it is built.
#define MENU_ROW { nullptr, nullptr, nullptr, 1, -1, 0 }

static MenuState menu_states[MENU_STATE_COUNT] = {
    MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW,
    MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW,
    MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW,
    MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW, MENU_ROW,
};

static int menu_mode;

MenuState *menu_state_row(int n)
{
    if (n < 0 || n >= MENU_STATE_COUNT)
        return nullptr;
    return &menu_states[n];
}

int menu_set_state_arg(int n, int selection)
{
    MenuState *row = menu_state_row(n);
    if (!row) {
        fprintf(stderr, "menu_set_state: no menu state %i\n", n);
        return 1;
    }
    menu_mode = n;
    row->selection = selection;
    if (row->enter)
        row->enter();
    return 0;
}

int menu_set_state(int n)
{
    return menu_set_state_arg(n, -1);
}

void menu_back(void)
{
    const MenuState *row = &menu_states[menu_mode];
    if (row->back)
        row->back();
    else if (menu_mode != 0)
        menu_set_state(0);
}

int get_menu_mode(void)
{
    return menu_mode;
}

const MenuState *menu_current_row(void)
{
    return &menu_states[menu_mode];
}
