#include "game/match_mode.h"

#include "game/game_state.h"
#include "game/match_rules.h"

static int g_selected_joint = -1;
static int g_paused;

int match_is_live(void) { return get_game_globals()->replay_mode == 0; }
int match_is_replay(void) { return get_game_globals()->replay_mode != 0; }
int match_in_preview(void) { return get_game_state()->ghost_mode != 0; }
int match_is_network(void) { return get_game_globals()->network_mode != 0; }
int match_is_frozen(void) { return get_game_state()->frozen != 0; }
int match_is_over(void) { return get_game_state()->game_over != 0; }

int match_is_running(void)
{
    return match_is_live() && !match_in_preview() && !match_is_frozen() && !match_is_over();
}

// A preview started in the paused turn runs with the frozen word clear (the
// ghosts step, the live fighters are off): the turn stays paused meanwhile.
int match_is_paused(void)
{
    return g_paused && match_is_live() && !match_is_network() && (match_is_frozen() || match_in_preview()) &&
           get_game_state()->frames_left > 0;
}

void set_match_paused(int on) { g_paused = on ? 1 : 0; }

int match_in_editor(void)
{
    return match_is_live() && !match_is_running() && !match_is_over();
}

int fighter_may_act(int i)
{
    const GameGlobals *g = get_game_globals();
    if (i < 0 || i >= fighter_count())
        return 0;
    const Player *p = get_player(i);
    if (!p || p->ready || p->out_of_play || !match_in_editor())
        return 0;
    if (match_is_network() && (!all_bouts_present() || g->own_slot != i))
        return 0;
    return 1;
}

int can_change_fighter_joint(int i, int j)
{
    if (!fighter_may_act(i) || j < 0 || j >= JOINT_COUNT)
        return 0;
    return get_player(i)->joints[j].broken == JOINT_INTACT;
}

int can_change_fighter_grip(int i, int hand)
{
    if (hand != R_HAND && hand != L_HAND)
        return 0;
    if (get_match_rules()->flags & RULE_FLAG_NO_GRIP)
        return 0;
    return can_change_fighter_joint(i, hand == R_HAND ? R_WRIST : L_WRIST);
}

int get_selected_joint(void) { return g_selected_joint; }

void set_selected_joint(int j)
{
    g_selected_joint = (j >= 0 && j < JOINT_COUNT) ? j : -1;
}

int can_change_joint(int need_joint, int own_only)
{
    (void)own_only;
    const int sel = get_game_globals()->selected_player;
    return need_joint ? can_change_fighter_joint(sel, g_selected_joint) : fighter_may_act(sel);
}
