// The logged-in user's equipment file, "custom/<name>/equipment.dat", where
// <name> is the nick without its clan tag, lower-cased. It keeps the ghost
// line of the equipment that the game server sends: one line of three
// integers; lines that begin with '#' are comments.
#pragma once

enum { EQUIPMENT_PATH_SIZE = 128 };

// The file's name for the current nick into out; 1 (and out empty) when no
// one is logged in or the name is not a plain file name.
int user_equipment_path(char *out, int size);

// Reads the file into the ghost buffer. Returns 0, or 1 when there is no
// user, no file or no line of numbers in it (the buffer is then left as
// it was).
int load_user_equipment(void);
// Writes the ghost buffer into the file: beside it first, renamed over it
// after a flush, so a failed write keeps the old file. Returns 0, or 1.
int save_user_equipment(void);
