// The script state's memory: every block Lua asks for is counted, and a
// state that would grow past its budget is refused the block, which Lua
// turns into the error "not enough memory" in the script that asked. The
// program goes on; what the script holds stays until it lets go of it.
#pragma once
#include <cstddef>

struct lua_State;

enum {
    // The default budget of a script state, in bytes. The shipped scripts
    // use well under a megabyte; 256 MiB still lets a script make and hold
    // strings of the largest size string.rep makes (64 MiB; making one
    // takes twice that for a moment), while a script that doubles a string
    // or joins pieces without end stops within a second, at a quarter of
    // the program's own largest use (a long replay), instead of taking
    // gigabytes and keeping the program in C for a minute.
    SCRIPT_MEMORY_BUDGET = 256 << 20,
};

struct ScriptMemory {
    size_t used;     // bytes the state holds now (garbage not yet collected included)
    size_t budget;   // the most it may hold; only growth beyond it is refused
};

// A Lua 5.1 allocator (lua_Alloc) over ud, a ScriptMemory. Freeing and
// shrinking never fail (Lua relies on that, in its garbage collector too);
// a block that would take used past budget is refused (null).
void *script_alloc(void *ud, void *ptr, size_t osize, size_t nsize);

// A full garbage collection of a state made by script_new_state, its
// budget lifted while it runs. Lua 5.1's collector makes a new, smaller
// string table before it lets go of the old one, sometimes before it has
// freed anything: refused at the budget, that block would leave the
// collector where it can free nothing, and the state out of memory for
// good. Only the collector's own blocks are made meanwhile. Raises no
// error of its own; call it protected all the same.
void script_collect_garbage(lua_State *L);

// Replaces the state's collectgarbage by one that runs with the budget
// lifted as above (a script that ran out of memory collects its garbage
// with it).
void script_replace_collectgarbage(lua_State *L);

// A new state on script_alloc with the memory record (budget set by the
// caller), its panic function reporting on standard error. Null when even
// the empty state does not fit.
lua_State *script_new_state(ScriptMemory *memory);
