// The script functions: one row per function, registered by name into the
// Lua state when the script context is made. Each function receives the
// context as its first upvalue (script_ctx_of).
#pragma once

struct lua_State;
struct ScriptContext;

typedef int (*ScriptCFunction)(lua_State *L);

struct ScriptFunction {
    const char *name;
    ScriptCFunction fn;
};

// The table, ended by a row with a null name.
extern const ScriptFunction script_functions[];

void script_register_functions(ScriptContext *ctx);

// The context of a running script function.
ScriptContext *script_ctx_of(lua_State *L);
