// Minimal ghost preview: only the restart value that the drawing reads.
#include "game/ghost.h"
#include "game/game_state.h"

void restart_ghost(int)
{
    get_game_state()->ghost_restart = 1.0f;
}
