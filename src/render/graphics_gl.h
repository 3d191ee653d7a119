// Renderer start-up and release, run after the GL context exists (the
// first video mode and every later one) and before it goes.
#pragma once

#include "render/bump_mesh.h"
#include "render/texture.h"

// The fonts are the GUI's: the program hands in how to open and close them.
void graphics_set_font_hooks(int (*open_fonts)(void), void (*close_fonts)(void));
// In this order: the colour state's GL back end, shapes, lists and their
// textures, the fighters' empty texture tables, the interface textures,
// the clear colour, the named texture slots, the shader path (when the
// shaders option is on), the fonts (missing fonts:
// "Failed to load fonts" and exit status 1), the chat cache's text surface
// and framebuffer, the trails, the flames, the bump-mapping cube map and
// meshes (when the driver has the extensions), the blood drawer.
void init_graphics(void);
// Everything init_graphics made; safe to call twice. Slot names stay, so
// the next start-up loads the same textures again; the fighters'
// customisation textures are their owners' to load again.
void free_graphics(void);
// 1 when the shader path draws. Turning it on takes effect only after a
// completed renderer start-up (renderer_gl.h); otherwise the fixed-function
// path stays.
int shaders_active(void);
void set_shaders_active(int on);

// The interface textures from data/textures, by row; null outside the rows
// or outside start-up and release.
enum { UI_SPLATT, UI_LOGO, UI_BACKGROUND, UI_HEADER, UI_INDICATOR, UI_AV_SHADOW, UI_TEXTURE_COUNT };
Texture *ui_texture(int row);
// An interface texture drawn by the texture drawers: at a 2D point in its
// own size, as a 2D quad scaled both ways, or as a scaled quad in the
// scene (multiply: darkens what is behind instead of blending over). A row
// outside the table draws nothing.
void draw_ui_texture_2d(int row, int x, int y);
void draw_ui_texture_scaled(int row, float x, float y, float scale);
void draw_ui_texture_3d(int row, float x, float y, float z, float scale, int multiply);

// The bump meshes, made at start-up when bump mapping is supported; null
// otherwise.
enum { BUMP_SPHERE, BUMP_BOX, BUMP_CAPSULE, BUMP_PRIMITIVES };
bool bump_mapping_supported(void);
BumpMesh *bump_primitive(int which);
