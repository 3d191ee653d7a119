// The player's control of the match, as far as it acts on the match.
#include "game/turn_control.h"
#include <cstdio>
#include "app/base/clock.h"
#include "app/base/message_type.h"
#include "game/frame_cache.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/game_callbacks.h"

static uint32_t g_last_frame_ms;
static int g_frame_time = 200;

// A hand's grip as the turn sends it: the wish set for the turn, else the
// grip in force.
static int turn_grip(const Player *p, int slot)
{
    return p->grip_wish[slot] != GRIP_NONE ? p->grip_wish[slot] : p->grip_state[slot];
}

int write_turn_lines(int fighter, char *buf, int size)
{
    const Player *p = get_player(fighter);
    if (!p || fighter >= fighter_count() || !buf || size < TURN_LINES_SIZE)
        return -1;
    int n = snprintf(buf, (size_t)size, "B_GRIP %d;%d %d\nB_JOINT %d;", fighter, turn_grip(p, GRIP_LEFT),
                     turn_grip(p, GRIP_RIGHT), fighter);
    for (int j = 0; j < JOINT_COUNT; j++)
        n += snprintf(buf + n, (size_t)(size - n), " %d %d", j, get_joint_state(fighter, j));
    n += snprintf(buf + n, (size_t)(size - n), "\nBATCH %d;-1\n", fighter);
    return n;
}

// Network play: the own fighter's moves go to the game server, which starts
// the turn for everyone once every fighter has committed. Once per turn: the
// fighter is marked ready until the turn starts.
static void commit_network_turn(void)
{
    const GameGlobals *g = get_game_globals();
    const int own = g->own_slot;
    const Player *p = own >= 0 && own < fighter_count() ? get_player(own) : nullptr;
    if (!p || p->ready || !game_net_connected())
        return;
    char lines[TURN_LINES_SIZE];
    if (write_turn_lines(own, lines, sizeof lines) < 0)
        return;
    if (game_net_send(lines) != 0)
        return;
    set_player_flag(own, 1);
}

void commit_turn(int)
{
    WorldState *w = get_game_state();
    if (match_is_replay() || w->game_over || w->frames_left > 0 || game_is_running())
        return;
    if (match_is_network()) {
        commit_network_turn();
        return;
    }
    game_hook(HOOK_EXIT_FREEZE);
    start_turn_frames(0);
}

int toggle_game_running(int)
{
    WorldState *w = get_game_state();
    if (!match_is_replay()) {
        // Live single play pauses inside a running turn and resumes it;
        // between turns, after the match and in network play there is
        // nothing to pause.
        if (match_is_network() || w->game_over || w->frames_left <= 0)
            return game_is_running();
        if (w->ghost_mode != 0 && !match_is_paused())
            return game_is_running();
        const int pause = !match_is_paused();
        // A preview started in the pause ends with it: the turn goes on from
        // the live world, which the preview left as it was.
        if (!pause && w->ghost_mode != 0)
            leave_ghost_mode();
        set_match_paused(pause);
        w->frozen = pause;
        game_hook(pause ? HOOK_PAUSE : HOOK_RESUME);
        game_sound_breaks();
        return game_is_running();
    }
    if (w->frozen) {
        w->frozen = 0;
        game_hook(HOOK_RESUME);
    } else {
        w->frozen = 1;
        game_hook(HOOK_PAUSE);
    }
    game_sound_breaks();
    return w->frozen ? 0 : 1;
}

void start_playback(int)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    if (g->replay_mode == 0)
        g->replay_mode = 1;
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    set_frame_cache_playback(0);
    reset_match(0);
    w->play_frame = 0;
    w->frames_left = 0;
    w->end_frame = 0;
    w->frozen = 0;
    if (const char *text = game_camera_playback())
        game_echo(text, MSG_INGAME);
}

void enter_edit_mode(void)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    if (match_is_network())
        return;
    if (match_is_replay()) {
        truncate_replay(w->play_frame);
        g->replay_mode = 0;
    }
    w->frames_left = 0;
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    w->frozen = 1;
    game_sound_breaks();
}

// Sound 28 (select player) on channel 6, forced, not recorded.
static void play_select_sound(void) { game_sound(6, 28, 1, 0); }

void set_player_flag(int fighter, int value)
{
    const int n = get_game_state()->players;
    if (fighter < 0 || fighter >= n)
        return;
    if (Player *p = get_player(fighter))
        p->ready = value;
    for (int i = 0; i < n; i++) {
        if (get_player(i) && get_player(i)->ready == 1) {
            play_select_sound();
            break;
        }
    }
}

void select_fighter(int i)
{
    if (i < -1 || i >= get_game_state()->players)
        return;
    get_game_globals()->selected_player = i;
    play_select_sound();
}

void update_frame_time(void)
{
    const uint32_t now = clock_ms();
    const uint32_t d = now - g_last_frame_ms;
    g_frame_time = (d >= 1 && d <= 200) ? (int)d : 200;
    g_last_frame_ms = now;
}

int get_frame_time(void) { return g_frame_time; }
