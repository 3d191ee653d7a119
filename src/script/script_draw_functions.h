// Script functions that reach the renderer's texture slots and 2D quads:
// load_texture, unload_texture and draw_quad. The renderer hands in its
// side while it runs; without it they do nothing (headless).
#pragma once

struct lua_State;

struct ScriptDrawHooks {
    int (*load_texture)(const char *path);      // the slot, -1 when none was free
    void (*unload_texture)(int slot);
    // A 2D quad in window pixels: textured with the slot's texture, or in
    // the current colour for slot -1.
    void (*draw_quad)(float x, float y, float width, float height, int slot);
};
// Null for none.
void script_set_draw_hooks(const ScriptDrawHooks *hooks);

// load_texture(name): the slot of "data/script/<name>"; -1 for a name that
// is not a safe file name, when every slot is taken, or without a renderer.
int script_load_texture(lua_State *L);
// unload_texture(slot)
int script_unload_texture(lua_State *L);
// draw_quad(x, y, width, height [, slot])
int script_draw_quad(lua_State *L);
