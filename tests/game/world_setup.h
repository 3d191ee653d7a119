// The built-in world under earth gravity, running (not frozen). Plain
// functions, shared by the game test fixtures and the benchmarks.
#pragma once
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/world_build.h"
#include "game/world_physics.h"

// Builds the world; 0 on success, as init_game.
inline int start_running_world()
{
    if (init_game() != 0)
        return 1;
    MatchRules *r = get_match_rules();
    r->gravity[0] = 0;
    r->gravity[1] = 0;
    r->gravity[2] = -9.81f;
    apply_world_forces();
    get_game_state()->frozen = 0;
    get_game_globals()->replay_mode = 0;
    return 0;
}
