#include "render/graphics_gl.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstdlib>

#include "particles/particles_draw_gl.h"
#include "render/blood_draw_gl.h"
#include "render/shapes_gl.h"
#include "render/world_colours.h"

static int (*g_open_fonts)(void);
static void (*g_close_fonts)(void);
static int g_shaders_active;

void graphics_set_font_hooks(int (*open_fonts)(void), void (*close_fonts)(void))
{
    g_open_fonts = open_fonts;
    g_close_fonts = close_fonts;
}

int shaders_active(void) { return g_shaders_active; }
void set_shaders_active(int on) { g_shaders_active = on != 0; }

void init_graphics(void)
{
    shapes_create();
    const float *bg = world_background_colour();
    set_clear_color(bg[0], bg[1], bg[2]);
    if (g_open_fonts && g_open_fonts() != 0) {
        fprintf(stderr, "Failed to load fonts\n");
        exit(1);
    }
    trails_init();
    flames_init();
    blood_draw_gl_install(1);
}

void free_graphics(void)
{
    blood_draw_gl_install(0);
    shapes_free();
    if (g_close_fonts)
        g_close_fonts();
    trails_free();
    flames_free();
}
