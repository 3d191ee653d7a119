// The game's side of the main loop: the start of play, one tick (once or
// twice per displayed frame), the hand-off step that shows a finished
// network match from the frame cache, and browsing the replay folder.
#pragma once

// Opens the replay named on the command line, else the first replay of
// replay/, else a fresh game; frames the fighters and turns sound on.
void on_loop_init(void);
void on_tick(int arg);
void playback_step(void);

// Reads "replay/<name>" and plays it; 0, or 1 when it cannot be read (a
// missing file, a name that leaves the folder, a file without frames).
int open_replay(const char *name);
// The replay at index i of the replay list (checked against the list as it
// is now); 0, or 1 when there is none or it cannot be read.
int open_replay_index(int i);
// Forward and back over the replay folder, wrapping at both ends; the
// folder is listed again first, so files added or removed count.
void replay_next(void);
void replay_prev(void);
int replay_index(void);
// The shop view: its replay, the named script, fighter 0 shown with its
// limb trails and three joints off, running 50 frames.
void play_shop_replay(const char *script);
// A new game with the mod, or a run of the script, at index i of its folder
// list as the list is now; 1 when the index is not in the list.
int use_mod_index(int i);
int load_script_index(int i);
// Reads a replay at a path as given; 0 when it opened and held frames.
int read_replay_checked(const char *path);
