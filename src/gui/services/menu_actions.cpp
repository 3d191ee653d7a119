#include "gui/services/menu_actions.h"

#include "app/base/clock.h"
#include "app/base/text.h"
#include "gui/services/menu_state.h"

namespace {

enum { MENU_CHAT = 27 };

int g_hud_shown = 1;
int g_prefill_waiting;
char g_prefill[CHAT_PREFILL_MAX];
int g_ui_mode;
int g_picked_fighter = -1;
uint32_t g_picked_time;
HideDisplayFn g_hide_display;

} // namespace

void set_hide_display_handler(HideDisplayFn fn) { g_hide_display = fn; }

void close_to_menu(int mode)
{
    if (g_hide_display && mode > 0)
        g_hide_display(mode);
    show_hud();
}

void show_hud(void)
{
    g_hud_shown = 1;
    g_ui_mode = 0;
    menu_set_state(0);
}

int hud_shown(void) { return g_hud_shown; }
void hud_hide(void) { g_hud_shown = 0; }

void chat_input_open_with(const char *text)
{
    n_strncpyz(g_prefill, text ? text : "", sizeof g_prefill);
    g_prefill_waiting = 1;
    menu_set_state(MENU_CHAT);
}

int chat_input_take_prefill(char *out, int n)
{
    if (!g_prefill_waiting || n <= 0)
        return 1;
    n_strncpyz(out, g_prefill, n);
    g_prefill_waiting = 0;
    g_prefill[0] = 0;
    return 0;
}

static void back_to_game(void) { show_hud(); }
static void back_from_flame_forge(void) { close_to_menu(MENU_FLAME_FORGE); }
static void enter_flame_forge(void) { g_ui_mode = 0; }

void menu_rows_init(void)
{
    menu_state_row(MENU_MAIN)->world_runs = 0;
    menu_state_row(MENU_CHAT)->back = back_to_game;
    MenuState *forge = menu_state_row(MENU_FLAME_FORGE);
    forge->enter = enter_flame_forge;
    forge->back = back_from_flame_forge;
}

void open_flame_forge(void) { menu_set_state(MENU_FLAME_FORGE); }

int get_ui_mode(void) { return get_menu_mode() == MENU_FLAME_FORGE && g_ui_mode; }
void set_ui_mode(int on) { g_ui_mode = on != 0; }

void remember_picked_joint(int fighter)
{
    g_picked_fighter = fighter;
    g_picked_time = clock_ms();
}

int picked_fighter(void) { return g_picked_fighter; }
uint32_t picked_time(void) { return g_picked_time; }
