#include "game/turn_cycle.h"
#include "game/game_state.h"

int game_is_running(void)
{
    const WorldState *w = get_game_state();
    return get_game_globals()->replay_mode == 0 && w->ghost_mode == 0 && !w->frozen && !w->game_over;
}
