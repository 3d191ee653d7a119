// The files scripts open. io.open, io.input, io.output, io.lines, loadfile
// and dofile take names under data/ only, and what they open is checked
// after it was opened, so that a link swapped in between the check of the
// name and the open reaches nothing outside data/. A script holds at most
// SCRIPT_FILES_MAX files open at a time (each costs the program a file
// descriptor, and the window's connection to the X server stops working
// once descriptors pass FD_SETSIZE); one more is a script error.
#pragma once
#include <cstdio>

struct lua_State;

enum {
    // Files a script may hold open at a time. The program itself holds
    // about ten descriptors (standard streams, X connection, fonts, a few
    // sockets) and needs every one below FD_SETSIZE (1024): 64 keeps it
    // there with room to spare, and leaves scripts, which keep a file or
    // two open, far more than they use.
    SCRIPT_FILES_MAX = 64,
};

// Opens name for a script as fopen(name, mode) would (mode: r, w or a,
// optionally with '+'; other characters as the C library reads them), when
// script_path_problem allows the name. The folder part is opened and
// checked to be inside data/, the last part opened in it without following
// a link, or, when it is a link, following it only to a file that is
// there (never creating or emptying a file through a link); what was
// opened must be a regular file inside data/. A file opened for "w" is
// emptied only after these checks. Null with *why set (and errno, 0 for a
// refusal) when refused or failed.
FILE *script_open_file(const char *name, const char *mode, const char **why);

// Makes the state's io library the scripts': io.open, io.input, io.output
// and io.lines open with script_open_file and count towards
// SCRIPT_FILES_MAX; io.read and io.lines() without a file do not read the
// program's standard input (the default input is an empty stream);
// io.popen, io.tmpfile and io.stdin are gone; the file handles' metatable
// cannot be reached by scripts.
void script_limit_io(lua_State *L);
