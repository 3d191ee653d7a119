// Games that a script sets up, and leaving the game for a script.
#pragma once

// Fires leave_game and new_game, runs the script (its name, then optionally
// an argument), then starts a single-play game of 100 frames for it.
void load_script_game(const char *name);
// Fires leave_game, then runs the script named in text.
void leave_and_load_script(const char *text);
