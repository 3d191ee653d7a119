// Bounds on what scripts hand to library functions that Lua 5.1 does not
// check itself: patterns that would overflow the C stack in the matcher or
// backtrack for hours, unpack ranges that overflow, table positions and
// string sizes that keep the program in C for minutes, an xpcall whose
// message handler a quit request can still stop, and file names that lead
// out of data/.
#pragma once
#include <cstddef>

struct lua_State;

enum {
    SCRIPT_PATTERN_DEPTH_MAX = 200,      // captures and quantified items of a pattern
    SCRIPT_PATTERN_QUANTIFIERS_MAX = 32, // quantified items of a pattern
    SCRIPT_UNPACK_MAX = 8000,            // values one unpack returns
    SCRIPT_STRING_MAX = 64 << 20,        // bytes of one string.rep result
};

// Null when the pattern may be matched, else why not. The count follows
// Lua's pattern syntax: every capture bracket and every quantified item
// costs the matcher a level of C recursion, and every quantifier multiplies
// its backtracking.
const char *script_pattern_problem(const char *pattern, size_t len);

// Null when a script may open the file name, else why not: a plain relative
// name under data/ (no "..", no hidden parts) whose existing part, with
// every link followed, stays inside data/ (itself resolved the same way).
const char *script_path_problem(const char *name);

// Replaces lib.name in the state's globals by the C function fn, which
// gets the original as its first upvalue.
void wrap_library_function(lua_State *L, const char *lib, const char *name, int (*fn)(lua_State *));

// Replaces unpack, xpcall, table.insert, string.rep and the
// pattern functions of the string library (find, match, gmatch, gsub) in
// the state's globals by checked ones, and removes newproxy (finalizers
// run with hooks off).
void script_limit_library(lua_State *L);

// The pattern functions: Lua 5.1's rules, patterns checked with
// script_pattern_problem, recursion bounded, and the quit check looked at
// while a match runs (a backtracking match can take hours).
void script_replace_pattern_functions(lua_State *L);
