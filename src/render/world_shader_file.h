// World shader settings files (data/shader/*.inc): one parameter a line,
// "name v1 v2 v3" (colours and directions), "name 0|1" (flags) or
// "name v" (floats); lines starting with '#' are comments.
#pragma once

enum { WORLD_SHADER_LINE = 255 };   // longest line read

// Reads a settings file (the path passes through data_path): each known
// name is set with set_background; unknown names are skipped; a line
// longer than 255 characters or with a number that is not finite is
// reported on standard error and skipped. apply_world_shader runs once at
// the end. Returns 0, or 1 (with "Unable to open %s" on standard error)
// when the file cannot be opened.
int load_world_shader(const char *path);
// Reads one settings line as a file line is read and applies it at once
// (apply_world_shader). 0, or 1 with a message for a null or overlong line
// or a number that is not finite (nothing is set then).
int apply_world_shader_line(const char *line);
// Writes all 34 parameters in id order, beside the file and renamed over it
// after a flush, so that a failed write leaves an old file as it was. Each
// number has at least two decimals and as many more as it needs to read
// back to the same value. Returns 0, or 1 with a message on standard error
// when the file cannot be created or written.
int export_world_shader(const char *path);

// Gives the console commands "worldshader", "loadworldshader" and
// "exportworldshader" their way into the parameters and files.
void world_shader_console_install(void);
