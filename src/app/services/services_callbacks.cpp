#include "app/services/services_callbacks.h"

#include "app/services/sound.h"
#include "app/services/sound_frame.h"
#include "game/game_callbacks.h"
#include "gui/services/centerprint.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "particles/limb_trails.h"
#include "script/script_context.h"
#include "script/script_hooks.h"

static void script_announce(int number, const char *text) { script_call_announce(get_script_ctx(), number, text); }
static void echo(const char *text, int type) { console_echo(text, (MessageType)type); }
static void echo_tab(int tab, const char *text, int type) { console_echo_tab(tab, text, (MessageType)type); }
static void run_console_line(const char *line) { run_server_command(line); }

void services_install_callbacks(void)
{
    GameCallbacks *cb = game_callbacks();
    cb->fire_hook = fire_game_hook;
    cb->script_announce = script_announce;
    cb->echo = echo;
    cb->echo_tab = echo_tab;
    cb->chat_tab_find = chat_tab_find;
    cb->chat_tab_open = chat_tab_open;
    cb->chat_tab_unbind = chat_tab_unbind;
    cb->centerprint = centerprint;
    cb->centerprint_clear = centerprint_clear;
    cb->run_command = run_console_line;
    cb->sound_play = sound_play;
    cb->sound_frame = sound_update_frame;
    cb->sound_breaks = sound_breaks;
    cb->sound_cache_clear = sound_cache_clear;
    cb->trails_update = trails_update;
    cb->trails_reset = trails_reset;
}
