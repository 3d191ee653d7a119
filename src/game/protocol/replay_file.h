// Replay files: the in-memory replay written out as lines of the line
// protocol after a few comment lines, and read back through parse_cmd with
// the replay file as source.
#pragma once

enum { REPLAY_PATH_SIZE = 256, REPLAY_LINE_SIZE = 2048 };

// The program version written into every replay.
extern const char *const KAELMUND_VERSION;

// 0 written, 1 when the file does not open ("Unable to open %s\n") or the
// write fails ("Unable to write %s\n"). The file is written beside its
// final name, synced and renamed over it, so a failed write never loses a
// replay already there.
int write_replay(const char *path, int use_bout_names);
// The same for a file that must not replace one of that name: an existing
// name gets a counter before ".rpl" ("x.rpl", "x-2.rpl", ...). The name
// written goes to final_name (size bytes; may be null).
int write_new_replay(const char *path, int use_bout_names, char *final_name, int size);
// 0 read, 1 when the file does not open or is not a regular file ("Unable
// to open %s\n").
int read_replay_file(const char *path);

// The automatic save at the end of a match (while the autosave option is
// on). Returns 0 saved or not asked for, else 1.
int save_replay(void);
// "autosave/<A>_vs_<B>-<injury of B>_<injury of A>.rpl" with every name
// made safe as a file name; into dst (size bytes). Returns 0, 1 when a
// fighter has no name.
int autosave_name(char *dst, int size);

// Forgets the result lines of the replay file read last: the match that
// now starts is not that file's.
void replay_file_forget_result(void);
