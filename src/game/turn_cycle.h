// The turn and frame cycle as the rest of the game reads it.
#pragma once

// 1 when no replay plays, no ghost preview runs, the world is not frozen and
// the game is not over.
int game_is_running(void);
