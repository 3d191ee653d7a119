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
    // A 2D partial disk at a window point, angles in degrees.
    void (*draw_disk)(float x, float y, float inner, float outer, int slices, int loops, float start, float sweep,
                      int additive);
    // The default fighter as a figure at (x, y) on the floor, scaled.
    void (*draw_vako)(float x, float y, float size);
    // Gradients of two colours: a body part's texture, and the fighter's
    // gradient texture; 0 done, 1 no such entry.
    int (*body_gradient)(int fighter, int body, const float *a, const float *b);
    int (*head_gradient)(int fighter, const float *a, const float *b);
    // A flat ring between two radii at a world point.
    void (*draw_disk_3d)(float x, float y, float z, float inner, float outer, int slices, int loops, float start,
                         float sweep, int additive);
};
// Null for none.
void script_set_draw_hooks(const ScriptDrawHooks *hooks);
// Text wrapped to a box in window pixels (the interface's text drawer);
// null for none.
typedef void (*ScriptBoxedText)(const char *text, float x, float y, float width, float height, float line_height,
                                int font);
void script_set_boxed_text_hook(ScriptBoxedText hook);

// load_texture(name): the slot of "data/script/<name>", a PNG (".png") or
// TGA (".tga") file; -1 for a name that is not a safe file name or names
// neither format, when every slot is taken, or without a renderer.
int script_load_texture(lua_State *L);
// unload_texture(slot)
int script_unload_texture(lua_State *L);
// draw_quad(x, y, width, height [, slot])
int script_draw_quad(lua_State *L);
// draw_disk(x, y, inner, outer, slices, loops, start, sweep [, additive])
int script_draw_disk(lua_State *L);
// draw_disk_3d(x, y, z, inner, outer, slices, loops, start, sweep [, additive]):
// in the world; numbers that are not finite draw nothing.
int script_draw_disk_3d(lua_State *L);
// draw_boxed_text(text, x, y, width, height, line_height [, font])
int script_draw_boxed_text(lua_State *L);
// draw_vako(x, y, size)
int script_draw_vako(lua_State *L);
// set_gradient_color(fighter, body, r1, g1, b1, r2, g2, b2): the body
// part's texture becomes a gradient of the two colours (components kept to
// 0..1). Returns 0, or 1 for a fighter or body without a texture entry and
// without a renderer.
int script_set_gradient_color(lua_State *L);
// get_head_info(fighter, r1, g1, b1, r2, g2, b2): the fighter's gradient
// texture from the two colours; returns 1 as the filler does (also without
// a renderer).
int script_get_head_info(lua_State *L);
