#include "render/graphics_gl.h"
#include "render/screen_textures_gl.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstdlib>

#include "render/particles_draw_gl.h"
#include "render/blood_draw_gl.h"
#include "render/bump_mesh_gl.h"
#include "render/chat_cache.h"
#include "render/color_state.h"
#include "render/fighter_textures.h"
#include "render/render_callbacks_gl.h"
#include "render/frame_begin_gl.h"
#include "render/renderer_gl.h"
#include "render/shapes_gl.h"
#include "render/texture_slots.h"
#include "render/world_colours.h"

static int (*g_open_fonts)(void);
static void (*g_close_fonts)(void);
static int g_shaders_active;
static bool g_bump_supported;
static BumpMesh g_bump[BUMP_PRIMITIVES];

static const char *const g_ui_names[UI_TEXTURE_COUNT] = {"splatt1", "logo", "background",
                                                         "header", "indicator", "av_shadow"};
typedef Texture UiTextures[UI_TEXTURE_COUNT];
static UiTextures g_ui;
static bool g_ui_made;

void graphics_set_font_hooks(int (*open_fonts)(void), void (*close_fonts)(void))
{
    g_open_fonts = open_fonts;
    g_close_fonts = close_fonts;
}

int shaders_active(void) { return g_shaders_active; }
// Only a renderer start-up that completed can turn the shader path on; a
// request without one keeps the fixed-function path.
void set_shaders_active(int on) { g_shaders_active = on != 0 && renderer_started(); }

Texture *ui_texture(int row)
{
    return g_ui_made && row >= 0 && row < UI_TEXTURE_COUNT ? &g_ui[row] : nullptr;
}

void draw_ui_texture_2d(int row, int x, int y)
{
    if (Texture *t = ui_texture(row))
        texture_draw_2d(t, x, y);
}

void draw_ui_texture_scaled(int row, float x, float y, float scale)
{
    if (Texture *t = ui_texture(row))
        texture_draw_quad2d(t, x, y, scale, scale);
}

void draw_ui_texture_3d(int row, float x, float y, float z, float scale, int multiply)
{
    if (Texture *t = ui_texture(row))
        texture_draw_quad3d(t, x, y, z, scale, multiply);
}

bool bump_mapping_supported(void) { return g_bump_supported; }

BumpMesh *bump_primitive(int which)
{
    return g_bump_supported && which >= 0 && which < BUMP_PRIMITIVES ? &g_bump[which] : nullptr;
}

// Without the extensions the textured paths draw without bump maps; the
// message is printed once for the program's life, not at every video reset.
static void init_bump_mapping(void)
{
    static bool told;
    g_bump_supported = normalisation_cube_map_supported();
    if (!g_bump_supported) {
        if (!told)
            fprintf(stderr, "Extensions for bump mapping unsupported\n");
        told = true;
        return;
    }
    normalisation_cube_map_init();
    bump_mesh_make_sphere(&g_bump[BUMP_SPHERE]);
    bump_mesh_make_box(&g_bump[BUMP_BOX]);
    bump_mesh_make_capsule(&g_bump[BUMP_CAPSULE]);
}

void init_graphics(void)
{
    color_state_set_apply(gl_apply_color);
    shapes_create();
    fighter_textures_init();
    for (int i = 0; i < UI_TEXTURE_COUNT; i++)
        texture_create(&g_ui[i], "data/textures", g_ui_names[i]);
    g_ui_made = true;
    // The world's background until something sets another; a video reset
    // keeps the colour the frame was cleared to.
    static bool clear_colour_kept;
    const float *bg = clear_colour_kept ? get_clear_color() : world_background_colour();
    set_clear_color(bg[0], bg[1], bg[2]);
    clear_colour_kept = true;
    texture_slots_reload();
    init_renderer();
    scene_renderer_start();
    if (g_open_fonts && g_open_fonts() != 0) {
        fprintf(stderr, "Failed to load fonts\n");
        exit(1);
    }
    create_text_surface();
    create_chat_framebuffer();
    create_screen_textures();
    trails_init();
    flames_init();
    init_bump_mapping();
    blood_draw_gl_install(1);
    render_gl_callbacks_install(1);
}

void free_graphics(void)
{
    render_gl_callbacks_install(0);
    blood_draw_gl_install(0);
    release_renderer();
    shapes_free();
    if (g_close_fonts)
        g_close_fonts();
    fighter_textures_free();
    if (g_ui_made)
        for (Texture &t : g_ui)
            texture_delete(&t);
    g_ui_made = false;
    texture_slots_free_all();
    free_text_surface();
    delete_chat_framebuffer();
    delete_screen_textures();
    trails_free();
    flames_free();
    for (BumpMesh &m : g_bump)
        primitives_free(&m);
    bump_textures_free();
    g_bump_supported = false;
    color_state_set_apply(nullptr);
}
