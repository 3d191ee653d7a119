// Where files live: the one mapping every file name passes through, the
// user folder made at start, and the change into the program's own folder.
#pragma once

// Returns its argument unchanged: every name is relative to the working
// folder, which start-up sets to the program's own folder. Every file name
// passes through here before a file is opened or a folder made, so that
// the place of the data can be changed in one spot.
const char *data_path(const char *name);

// Builds the user folder name ($APPDATA followed by "/Kaelmund", else ".")
// and creates the folder. Returns 0, or 1 when the folder could not be
// made.
int data_dirs_init(void);
// The user folder (no final '/'); "." before data_dirs_init.
const char *user_dir(void);

// Changes into the folder of path; a null path means the running program
// (/proc/self/exe). Returns 0, or 1 with a message on standard error.
int chdir_to_exe_dir(const char *path);
