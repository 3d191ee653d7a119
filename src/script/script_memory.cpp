#include "script/script_memory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <lua.hpp>

void *script_alloc(void *ud, void *ptr, size_t osize, size_t nsize)
{
    ScriptMemory *m = (ScriptMemory *)ud;
    if (!ptr)
        osize = 0;
    if (nsize == 0) {
        free(ptr);
        m->used -= osize;
        return nullptr;
    }
    if (nsize > osize) {
        const size_t grow = nsize - osize;
        if (m->used > m->budget || grow > m->budget - m->used)
            return nullptr;
    }
    void *block = realloc(ptr, nsize);
    if (!block) {
        // A smaller block that the C library cannot give: the old one
        // still holds it, and Lua must not see a shrink fail.
        if (nsize <= osize)
            return ptr;
        return nullptr;
    }
    m->used = m->used - osize + nsize;
    return block;
}

namespace {

// The memory record of a state made by script_new_state, else null.
ScriptMemory *memory_of(lua_State *L)
{
    void *ud = nullptr;
    return lua_getallocf(L, &ud) == script_alloc ? (ScriptMemory *)ud : nullptr;
}

// collectgarbage(...) with the budget lifted (upvalue 1: Lua's own).
int collect_lifted(lua_State *L)
{
    ScriptMemory *m = memory_of(L);
    const size_t budget = m ? m->budget : 0;
    if (m)
        m->budget = SIZE_MAX;
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    const int rc = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
    if (m)
        m->budget = budget;
    if (rc != 0)
        return lua_error(L);
    return lua_gettop(L);
}

// Every call from the program into Lua is protected, so this is not
// reached; should it be, Lua ends the process after it returns.
int panic(lua_State *L)
{
    const char *message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "(no message)";
    fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message);
    return 0;
}

} // namespace

void script_collect_garbage(lua_State *L)
{
    ScriptMemory *m = memory_of(L);
    const size_t budget = m ? m->budget : 0;
    if (m)
        m->budget = SIZE_MAX;
    lua_gc(L, LUA_GCCOLLECT, 0);
    if (m)
        m->budget = budget;
}

void script_replace_collectgarbage(lua_State *L)
{
    lua_getglobal(L, "collectgarbage");
    lua_pushcclosure(L, collect_lifted, 1);
    lua_setglobal(L, "collectgarbage");
}

lua_State *script_new_state(ScriptMemory *memory)
{
    lua_State *L = lua_newstate(script_alloc, memory);
    if (L)
        lua_atpanic(L, panic);
    return L;
}
