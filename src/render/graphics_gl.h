// Renderer start-up and release, run after the GL context exists (the
// first video mode and every later one) and before it goes.
#pragma once

// The fonts are the GUI's: the program hands in how to open and close them.
void graphics_set_font_hooks(int (*open_fonts)(void), void (*close_fonts)(void));
// Shapes, lists and textures, the clear colour, the fonts (missing fonts:
// "Failed to load fonts" and exit status 1), the trails and the flames.
void init_graphics(void);
// Everything init_graphics made, in its order; safe to call twice.
void free_graphics(void);
// 1 when the shader path draws (never on this renderer: it queues nothing).
int shaders_active(void);
void set_shaders_active(int on);
