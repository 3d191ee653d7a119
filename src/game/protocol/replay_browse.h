// Moving on from one replay to the next: after a replay has played out, and
// when a single-play turn is left waiting past its deadline.
#pragma once

// Starts the next replay. Replays are not yet picked from the replay folder,
// so this plays the match held in the replay buffer again from its first
// frame.
void replay_next(void);
