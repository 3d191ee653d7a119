// The network turn hand-over: once the game server has sent every fighter's
// state for the turn, the live fighters and the moving environment objects
// take it at once, as a replay frame would be applied.
#pragma once

// 1 when every fighter's received mask holds all of the complete-state bits.
int received_state_complete(void);
// Fighter i's bodies take the received rotations, positions and velocities;
// its received mask is cleared.
void apply_received_fighter_state(int i);
// Every moving environment object takes the state a P_ENV block gave it,
// when one arrived; the object-state flag is cleared.
void apply_received_env_state(void);
