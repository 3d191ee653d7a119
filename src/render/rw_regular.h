// SDL streams over data files for the SDL loaders (sounds, fonts).
#pragma once

struct SDL_RWops;

// A stream reading path, opened as fopen_regular opens it: only a regular
// file, and the open never waits (a FIFO with a data file's name cannot
// hold the start-up). Closing the stream closes the file. Null, with SDL's
// error set, otherwise: "missing (no such file)" when nothing is there,
// "not a regular file that can be read" for anything else.
SDL_RWops *rw_open_regular(const char *path);
