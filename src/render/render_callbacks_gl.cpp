#include <GL/glew.h>

#include "render/render_callbacks_gl.h"

#include "game/game_callbacks.h"
#include "render/fighter_textures.h"
#include "render/markers_gl.h"
#include "render/shapes_gl.h"
#include "render/texture_slots.h"
#include "script/script_draw_functions.h"

// The program runs in its own folder: "custom/<name>" is relative to it.
static int player_textures(int fighter, int player, const char *name)
{
    return apply_player_textures(fighter, player, ".", name);
}

void render_quad(float x, float y, float width, float height, int slot)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    Texture *t = slot >= 0 ? texture_slot_get(slot) : nullptr;
    if (t) {
        texture_draw_quad_blend(t, x, y, width, height);
    } else if (slot < 0) {
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glVertex2f(x, y);
        glVertex2f(x + width, y);
        glVertex2f(x + width, y + height);
        glVertex2f(x, y + height);
        glEnd();
    }
    glPopAttrib();
}

void render_gl_callbacks_install(int on)
{
    game_callbacks()->player_textures = on ? player_textures : nullptr;
    static const ScriptDrawHooks hooks = {texture_slot_acquire, texture_slot_free,      render_quad,
                                          render_disk,          render_vako,            get_body_texture_info,
                                          get_custom_texture_size, render_disk_3d};
    script_set_draw_hooks(on ? &hooks : nullptr);
}
