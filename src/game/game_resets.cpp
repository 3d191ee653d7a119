#include "game/game_resets.h"

#include "app/base/user_strings.h"
#include "game/camera_keys.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_start.h"
#include "game/game_callbacks.h"

static MatchRules g_room_rules;
static bool g_room_rules_set;

MatchRules *get_network_room_rules(void)
{
    if (!g_room_rules_set)
        reset_network_room_rules();
    return &g_room_rules;
}

void reset_network_room_rules(void)
{
    fill_default_rules(1, &g_room_rules);
    g_room_rules_set = true;
}

// Every fighter but the first holds all its joints: the player moves
// fighter 0, the others stand.
void hold_other_fighters(void)
{
    for (int i = 1; i < get_game_state()->players; i++)
        set_all_joint_states(i, MOTOR_HOLD);
}

void name_players_from_nick(void)
{
    const char *nick = get_nick();
    set_player_name(0, nick[0] ? nick : default_player_name(0));
    set_default_player_names();
}

void reset_game(void)
{
    GameGlobals *g = get_game_globals();
    g->replay_mode = 0;
    game_hook(HOOK_LEAVE_GAME);
    MatchRules *next = get_next_match_rules();
    if (next->teams > 1)
        for (int i = 0; i < next->players && i < RULES_PLAYER_SLOTS; i++)
            next->team_of[i] = i % next->teams;
    game_customs_clear();
    g->bouts_present = 0;
    name_players_from_nick();
    new_match(0, 0, next, 0);
    game_floor_stains_clear();
    hold_other_fighters();
    game_hook(HOOK_NEW_GAME);
    camera_keys_clear();
}

void reset_network_game(void)
{
    game_hook(HOOK_LEAVE_GAME);
    game_customs_clear();
    clear_bouts();
    WorldState *w = get_game_state();
    for (int i = 0; i < 2; i++) {
        w->wins[i] = 0;
        if (get_player(i))
            set_player_name(i, default_player_name(i));   // name and short name
    }
    new_match(1, 0, get_network_room_rules(), 0);
    game_floor_stains_clear();
    game_hook(HOOK_NEW_MP_GAME);
    camera_keys_clear();
}
