#include "game/game_callbacks.h"

static GameCallbacks g_callbacks;

GameCallbacks *game_callbacks(void) { return &g_callbacks; }

void game_hook(int hook, int arg)
{
    if (g_callbacks.fire_hook)
        g_callbacks.fire_hook(hook, arg);
}

void game_script_announce(int number, const char *text)
{
    if (g_callbacks.script_announce)
        g_callbacks.script_announce(number, text);
}

void game_echo(const char *text, int type)
{
    if (g_callbacks.echo)
        g_callbacks.echo(text, type);
}

void game_echo_tab(int tab, const char *text, int type)
{
    if (g_callbacks.echo_tab)
        g_callbacks.echo_tab(tab, text, type);
}

int game_chat_tab_find(int id)
{
    return g_callbacks.chat_tab_find ? g_callbacks.chat_tab_find(id) : -1;
}

int game_chat_tab_open(int id, const char *title)
{
    return g_callbacks.chat_tab_open ? g_callbacks.chat_tab_open(id, title) : -1;
}

void game_chat_clear(void)
{
    if (g_callbacks.chat_clear)
        g_callbacks.chat_clear();
}

void game_centerprint(WorldState *w, int mode, int colour, int seconds,
                      const char *line1, const char *line2, const char *line3)
{
    if (g_callbacks.centerprint)
        g_callbacks.centerprint(w, mode, colour, seconds, line1, line2, line3);
}

void game_centerprint_clear(void)
{
    if (g_callbacks.centerprint_clear)
        g_callbacks.centerprint_clear();
}

void game_run_command(const char *line)
{
    if (g_callbacks.run_command)
        g_callbacks.run_command(line);
}

void game_sound(int channel, int sound, int forced, int record)
{
    if (g_callbacks.sound_play)
        g_callbacks.sound_play(channel, sound, forced, record);
}

void game_sound_frame(WorldState *w)
{
    if (g_callbacks.sound_frame)
        g_callbacks.sound_frame(w);
}

void game_sound_cache_clear(void)
{
    if (g_callbacks.sound_cache_clear)
        g_callbacks.sound_cache_clear();
}

void game_trails_update(void)
{
    if (g_callbacks.trails_update)
        g_callbacks.trails_update();
}

void game_trails_reset(void)
{
    if (g_callbacks.trails_reset)
        g_callbacks.trails_reset();
}

void game_colour_rgb(int row, float *rgb)
{
    if (g_callbacks.colour_rgb) {
        g_callbacks.colour_rgb(row, rgb);
        return;
    }
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
}

void game_blood_drop(const float *pos, const float *vel, float size, const float *rgb)
{
    if (g_callbacks.blood_drop)
        g_callbacks.blood_drop(pos, vel, size, rgb);
}

void game_blood_stain(const float *pos, const float *vel, float size, const float *rgb)
{
    if (g_callbacks.blood_stain)
        g_callbacks.blood_stain(pos, vel, size, rgb);
}

int game_fighter_blood_colour(int fighter)
{
    return g_callbacks.fighter_blood_colour ? g_callbacks.fighter_blood_colour(fighter) : 0;
}

void game_customs_clear(void)
{
    if (g_callbacks.customs_clear)
        g_callbacks.customs_clear();
}

void game_customs_apply(int mode)
{
    if (g_callbacks.customs_apply)
        g_callbacks.customs_apply(mode);
}

void game_replay_next(void)
{
    if (g_callbacks.replay_next)
        g_callbacks.replay_next();
}

void game_replay_forget_result(void)
{
    if (g_callbacks.replay_forget_result)
        g_callbacks.replay_forget_result();
}
