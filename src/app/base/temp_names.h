// The names of the temporary files our saves write beside their targets,
// and the start-up sweep of those a save cut off left behind.
//
// Beside "<folder>/<name>" a save writes
// "<folder>/.<name>.kaelmund-<pid>-<start>-<n>.tmp": hidden, marked with
// the program's name and with the process that writes it (its id and its
// start time, in clock ticks after boot), and numbered 1 to TEMP_NAME_TRIES
// for when a name is taken. No player's file is taken for one, and a
// leftover is stale only once the process that wrote it is gone: a second
// copy of the program in the same folder keeps the first one's files.
#pragma once
#include <cstddef>

enum { TEMP_NAME_TRIES = 8 };

// The n-th temporary name of this process beside path into tmp (size
// bytes). 1 when it fits, else 0.
int temp_name_beside(char *tmp, size_t size, const char *path, int n);

// The writer of a file name of the form above (a name, no folder): 1 with
// *pid and *start set, else 0.
int temp_name_writer(const char *name, long *pid, unsigned long long *start);

// Start time of process pid in clock ticks after boot; 0 when unknown.
unsigned long long process_start_time(long pid);

// 1 while the process pid that started at start runs. A pid that now
// belongs to a process that started at another time counts as gone; when
// that cannot be told (start 0, or the process cannot be looked at), a
// live pid counts as running.
int process_running(long pid, unsigned long long start);

// Removes from folder the temporary files our saves left when they were cut
// off (the program killed): regular files of this user with a temporary
// name of the form above whose process is gone. Anything else (a player's
// "notes.txt.tmp", a link or a FIFO, a file of a copy of the program still
// running) stays. Each removal is reported; returns how many were removed.
int remove_stale_temp_files(const char *folder);
