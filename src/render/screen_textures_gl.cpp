#include <GL/glew.h>

#include "render/screen_textures_gl.h"

static GLuint g_screen_tex[SCREEN_TEXTURES];

void create_screen_textures(void)
{
    delete_screen_textures();
    glGenTextures(SCREEN_TEXTURES, g_screen_tex);
    for (int i = 0; i < SCREEN_TEXTURES; i++) {
        const int side = i == 0 ? 512 : 256;
        glBindTexture(GL_TEXTURE_2D, g_screen_tex[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void delete_screen_textures(void)
{
    for (GLuint &t : g_screen_tex) {
        if (t)
            glDeleteTextures(1, &t);
        t = 0;
    }
}

void screen_texture_names(unsigned names[SCREEN_TEXTURES])
{
    for (int i = 0; i < SCREEN_TEXTURES; i++)
        names[i] = g_screen_tex[i];
}
