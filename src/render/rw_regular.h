// SDL streams over data files for the SDL loaders (sounds, fonts).
#pragma once

struct SDL_RWops;

// A stream reading path, opened as fopen_regular opens it: only a regular
// file, and the open never waits (a FIFO with a data file's name cannot
// hold the start-up). Closing the stream closes the file. Null, with SDL's
// error set, otherwise.
SDL_RWops *rw_open_regular(const char *path);
