// The one script context: a Lua 5.1 state with the base, math, string,
// table and io libraries and the game's script functions. Made last at
// start-up (running data/script/startup.lua) and deleted first at shutdown.
// Scripts run no programs (no os library, no io.popen), open files only
// under data/ and only a few at a time, load only Lua source (no
// precompiled chunks), live within a budget of memory, and a script that
// never returns is ended once the program is asked to quit. Every call
// from the program into the state is a protected one (script_protected):
// no error of a script, of a metamethod it set or of its memory ends the
// program.
#pragma once
#include <thread>

#include "script/script_hooks.h"
#include "script/script_memory.h"

struct lua_State;

struct ScriptContext {
    lua_State *L;                   // the one Lua state; null if it could not be made
    int hook_ref[HOOK_COUNT];       // registry references of the hook callbacks
    std::thread::id owner;          // the thread that made it: the only one that runs scripts
    ScriptMemory memory;            // what the state holds, and its budget (SCRIPT_MEMORY_BUDGET)

    ScriptContext();
    ~ScriptContext();
    ScriptContext(const ScriptContext &) = delete;
    ScriptContext &operator=(const ScriptContext &) = delete;
};

enum {
    SCRIPT_CHECK_INSTRUCTIONS = 10000,  // how often a running script looks at the quit check
    SCRIPT_QUIT_GRACE_CHECKS = 100,     // checks a script may still run after a quit request
    SCRIPT_FILE_MAX = 16 << 20,         // the largest script file loaded (bytes)
};

// The check that running scripts make: non-zero when the program has been
// asked to quit. A script still running SCRIPT_QUIT_GRACE_CHECKS checks
// after the request was first seen is ended with an error. Null (the
// start) never ends one.
void script_set_quit_check(int (*check)(void));

// Functions of a layer above that every context made from now on offers
// from the start, added after the game's own and before any script runs.
void script_set_more_functions(void (*add)(ScriptContext *ctx));

// The check the count hook makes, for library functions written in C that
// can run long (the pattern matcher): raises the error that stops the
// script once the program is quitting.
void script_quit_point(lua_State *L);

// The live context, null before it is made and after it is deleted.
ScriptContext *get_script_ctx(void);

// Runs "data/script/<name>" with the optional argument: the text is the
// script name, then optionally a blank and the argument, which the script
// receives as its one vararg (`...`). Returns 0, or 1 when the name is
// unsafe, the file cannot be loaded or the script fails (reported on
// standard error).
int load_script(ScriptContext *ctx, const char *text);

// Runs fn(L, data) on the context's state inside a protected call: an
// error anywhere in it (a script's, a metamethod's, "not enough memory") is
// reported as a script error of where, and the stack is left as it was.
// Returns 0, or 1 after an error or without a state. The way into Lua for
// the whole program: nothing calls into the state outside it.
int script_protected(ScriptContext *ctx, const char *where, void (*fn)(lua_State *L, void *data), void *data);

// Reports a script error on standard error; the game goes on.
void script_error(const char *where, const char *message);
