#include <GL/glew.h>

#include "gui/menu_overlay_gl.h"

#include "app/base/options.h"
#include "gui/hud_gl.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/chat_cache.h"
#include "render/shapes_gl.h"

static int g_fb_filled;

void draw_menu_background(void)
{
    if (!chat_needs_redraw())
        return;
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    if (option_get(OPT_CHATCACHE) == 3) {
        unsigned names[4];
        chat_cache_names(names);
        if (names[0]) {
            // The cache is drawn over the scene: it starts transparent,
            // whatever the scene's clear colour is.
            GLfloat clear[4];
            glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
            glClearColor(0, 0, 0, 0);
            bind_framebuffer();
            glClearColor(clear[0], clear[1], clear[2], clear[3]);
            push_ortho_2d((float)view[2], (float)view[3]);
            chat_draw(CHAT_X, CHAT_Y, 0);
            pop_ortho_2d();
            unbind_framebuffer();
            g_fb_filled = 1;
        }
    }
    chat_redraw_done();
}

void hud_draw_chat(int height)
{
    unsigned names[4];
    chat_cache_names(names);
    if (option_get(OPT_CHATCACHE) == 3 && names[0] && g_fb_filled) {
        glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        draw_chat_framebuffer(height);
        glPopAttrib();
        return;
    }
    g_fb_filled = 0;
    chat_draw(CHAT_X, CHAT_Y, 1);
}

// The main menu covers the stopped world: a shade over the last cleared
// frame and the game's name above the menu window.
static void draw_main_menu_backdrop(void)
{
    const float w = (float)option_get(OPT_WIDTH), h = (float)option_get(OPT_HEIGHT);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.15f, 0.15f, 0.2f, 0.85f);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(0, h);
    glVertex2f(w, h);
    glVertex2f(w, 0);
    glEnd();
    static const float white[4] = {1, 1, 1, 1};
    const char *title = "KAELMUND";
    draw_text(FONT_BIG, title, (w - (float)text_width(FONT_BIG, title)) / 2, h / 6, white);
}

void menu_install_draw_hooks(void)
{
    menu_rows_init();
    menu_state_row(MENU_MAIN)->draw2d = draw_main_menu_backdrop;
}
