// The ghost preview as the rest of the game calls it.
#pragma once

// Restarts a running preview from the fighters' current state.
void restart_ghost(int clear_trail);
