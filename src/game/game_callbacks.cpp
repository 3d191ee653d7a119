#include "game/game_callbacks.h"

static GameCallbacks g_callbacks;

GameCallbacks *game_callbacks(void) { return &g_callbacks; }

// Calls an entry when it is filled; an empty one does nothing (or gives the
// fallback value).
template <typename Fn, typename... Args>
static void call(Fn fn, Args... args)
{
    if (fn)
        fn(args...);
}

template <typename Fn, typename... Args>
static int call_or(int fallback, Fn fn, Args... args)
{
    return fn ? fn(args...) : fallback;
}

void game_hook(int hook, int arg) { call(g_callbacks.fire_hook, hook, arg); }
void game_script_announce(int number, const char *text) { call(g_callbacks.script_announce, number, text); }
void game_echo(const char *text, int type) { call(g_callbacks.echo, text, type); }
void game_echo_tab(int tab, const char *text, int type) { call(g_callbacks.echo_tab, tab, text, type); }
int game_chat_tab_find(int id) { return call_or(-1, g_callbacks.chat_tab_find, id); }
int game_chat_tab_open(int id, const char *title) { return call_or(-1, g_callbacks.chat_tab_open, id, title); }
void game_chat_tab_unbind(int id) { call(g_callbacks.chat_tab_unbind, id); }

void game_centerprint(WorldState *w, int mode, int colour, int seconds,
                      const char *line1, const char *line2, const char *line3)
{
    call(g_callbacks.centerprint, w, mode, colour, seconds, line1, line2, line3);
}

void game_centerprint_clear(void) { call(g_callbacks.centerprint_clear); }
void game_run_command(const char *line) { call(g_callbacks.run_command, line); }
void game_sound(int channel, int sound, int forced, int record)
{
    call(g_callbacks.sound_play, channel, sound, forced, record);
}
void game_sound_frame(WorldState *w) { call(g_callbacks.sound_frame, w); }
void game_sound_breaks(void) { call(g_callbacks.sound_breaks); }
void game_sound_cache_clear(void) { call(g_callbacks.sound_cache_clear); }
void game_trails_update(void) { call(g_callbacks.trails_update); }
void game_trails_reset(void) { call(g_callbacks.trails_reset); }

void game_colour_rgb(int row, float *rgb)
{
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
    call(g_callbacks.colour_rgb, row, rgb);
}

void game_blood_drop(const float *pos, const float *vel, float size, const float *rgb)
{
    call(g_callbacks.blood_drop, pos, vel, size, rgb);
}

void game_blood_stain(const float *pos, const float *vel, float size, const float *rgb)
{
    call(g_callbacks.blood_stain, pos, vel, size, rgb);
}

void game_floor_stains_clear(void) { call(g_callbacks.floor_stains_clear); }

int game_fighter_blood_colour(int fighter) { return call_or(0, g_callbacks.fighter_blood_colour, fighter); }
int game_fighter_custom_colour(int fighter) { return call_or(0, g_callbacks.fighter_custom_colour, fighter); }
void game_customs_clear(void) { call(g_callbacks.customs_clear); }
void game_customs_apply(int mode) { call(g_callbacks.customs_apply, mode); }
int game_player_textures(int fighter, int player, const char *player_name)
{
    return call_or(0, g_callbacks.player_textures, fighter, player, player_name);
}
void game_replay_next(void) { call(g_callbacks.replay_next); }
void game_replay_forget_result(void) { call(g_callbacks.replay_forget_result); }
void game_camera_fit(int yaw) { call(g_callbacks.camera_fit, yaw); }
void game_turn_alert(void) { call(g_callbacks.turn_alert); }
void game_clear_turn_alert(void) { call(g_callbacks.clear_turn_alert); }
const char *game_camera_playback(void) { return g_callbacks.camera_playback ? g_callbacks.camera_playback() : nullptr; }
int game_replay_autosave(void) { return call_or(1, g_callbacks.replay_autosave); }

int game_net_connected(void) { return call_or(0, g_callbacks.net_connected); }
int game_net_send(const char *text) { return call_or(-1, g_callbacks.net_send, text); }
void game_net_close(void) { call(g_callbacks.net_close); }
void game_net_end(const char *message) { call(g_callbacks.net_end, message); }
void game_net_forward(const char *address) { call(g_callbacks.net_forward, address); }
