#include <GL/glew.h>

#include "render/render_targets_gl.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "app/base/options.h"
#include "render/scene_gl_state_gl.h"
#include "render/shader_programs_gl.h"

namespace {

typedef RenderTarget RenderTargets[RENDER_TARGET_MAX];
RenderTargets g_targets;
int g_count;
int g_current = -9999;
int g_floor = -1, g_anaglyph = -1;
unsigned g_depth_buffer;   // the shared depth renderbuffer, made only when asked for
int g_copy_w, g_copy_h, g_pow2;
unsigned dof_depth_copy, dof_colour_copy, anaglyph_left, anaglyph_right;
unsigned g_raytrace_data;
unsigned g_no_shadow;
int g_anaglyph_composed;   // the anaglyph target holds a composed picture
SkyTextures g_sky;

bool fbo_available(void)
{
    return glGenFramebuffersEXT && glBindFramebufferEXT && glFramebufferTexture2DEXT &&
           glFramebufferRenderbufferEXT && glCheckFramebufferStatusEXT && glDeleteFramebuffersEXT &&
           glGenRenderbuffersEXT && glBindRenderbufferEXT && glRenderbufferStorageEXT && glDeleteRenderbuffersEXT;
}

void delete_texture(unsigned *t)
{
    if (*t)
        glDeleteTextures(1, t);
    *t = 0;
}

// A screen-copy texture with linear filtering and repeat wrapping.
unsigned make_copy_texture(void)
{
    unsigned t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    set_texture_sampling(GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR, GL_REPEAT);
    return t;
}

int copy_w(void) { return g_copy_w > 0 ? g_copy_w : option_get(OPT_WIDTH); }
int copy_h(void) { return g_copy_h > 0 ? g_copy_h : option_get(OPT_HEIGHT); }

} // namespace

int make_render_target(int width, int height, int with_depth)
{
    if (g_count >= RENDER_TARGET_MAX || !fbo_available())
        return 1;
    while (glGetError() != GL_NO_ERROR) {
    }
    const int index = g_count;
    fprintf(stderr, "Buffer %i is dimensions %i %i\n", index, width, height);
    RenderTarget &t = g_targets[index];
    t = RenderTarget{};
    glGenFramebuffersEXT(1, &t.framebuffer);
    glGenTextures(1, &t.texture);
    if (with_depth && !g_depth_buffer) {
        glGenRenderbuffersEXT(1, &g_depth_buffer);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, g_depth_buffer);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT32, width, height);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.framebuffer);
    glBindTexture(GL_TEXTURE_2D, t.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    set_texture_sampling(GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, t.texture, 0);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 with_depth ? g_depth_buffer : 0);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    g_current = -1;
    t.width = width;
    t.height = height;
    g_count++;
    const bool gl_error = glGetError() != GL_NO_ERROR;
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        fprintf(stderr, "Render target %i is not complete (status 0x%x)\n", index, (unsigned)status);
        return 1;
    }
    return gl_error ? 1 : 0;
}

void bind_render_target(int index)
{
    if (index == -2)
        index = g_current;
    if (index >= g_count)
        return;
    if (index >= 0) {
        const RenderTarget &t = g_targets[index];
        if (index != g_current) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.framebuffer);
            g_current = index;
        }
        glViewport(0, 0, t.width, t.height);
        return;
    }
    if (index != g_current) {
        if (glBindFramebufferEXT)
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        g_current = index;
    }
    glViewport(0, 0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

void delete_render_targets(void)
{
    if ((g_count > 0 || g_depth_buffer) && glBindFramebufferEXT)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    for (int i = g_count - 1; i >= 0; i--) {
        RenderTarget &t = g_targets[i];
        if (t.framebuffer)
            glDeleteFramebuffersEXT(1, &t.framebuffer);
        delete_texture(&t.texture);
        t = RenderTarget{};
    }
    g_count = 0;
    if (g_depth_buffer)
        glDeleteRenderbuffersEXT(1, &g_depth_buffer);
    g_depth_buffer = 0;
    g_floor = g_anaglyph = -1;
    g_current = -9999;
}

void unwind_render_targets(int keep)
{
    if (keep < 0)
        keep = 0;
    if (glBindFramebufferEXT && g_count > keep)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    for (int i = g_count - 1; i >= keep; i--) {
        RenderTarget &t = g_targets[i];
        if (t.framebuffer)
            glDeleteFramebuffersEXT(1, &t.framebuffer);
        delete_texture(&t.texture);
        t = RenderTarget{};
    }
    if (g_count > keep)
        g_count = keep;
    if (g_floor >= g_count)
        g_floor = -1;
    if (g_anaglyph >= g_count)
        g_anaglyph = -1;
    g_current = -9999;
    fprintf(stderr, "Insufficient Video Memory. Abort.\n");
}

int create_render_targets(void)
{
    delete_render_targets();
    while (glGetError() != GL_NO_ERROR) {
    }
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    if (make_render_target(w / 4, h / 4, 0) != 0) {
        unwind_render_targets(0);
        return 1;
    }
    g_floor = g_count;
    if (make_render_target(2048, 2048, 0) != 0) {
        unwind_render_targets(0);
        return 1;
    }
    const int keep = g_count;
    if (option_get(OPT_DEPTHOFFIELD) == 1) {
        for (int i = 0; i < 2; i++)
            if (make_render_target(w, h, 0) != 0) {
                unwind_render_targets(keep);
                option_set(OPT_DEPTHOFFIELD, 0);
                return 1;
            }
    }
    if (option_get(OPT_ANAGLYPHIC) == 1) {
        g_anaglyph = g_count;
        if (make_render_target(w, h, 0) != 0) {
            unwind_render_targets(keep);
            option_set(OPT_DEPTHOFFIELD, 0);
            option_set(OPT_ANAGLYPHIC, 0);
            return 1;
        }
    }
    return 0;
}

int render_target_count(void) { return g_count; }
const RenderTarget *render_target(int index) { return index >= 0 && index < g_count ? &g_targets[index] : nullptr; }
int current_render_target(void) { return g_current; }
int floor_target(void) { return g_floor; }
int anaglyph_target(void) { return g_anaglyph; }

void set_screen_copy_size(int width, int height, int pow2)
{
    g_pow2 = pow2 != 0;
    auto up = [](int n) {
        int p = 1;
        while (p < n && p < (1 << 30))
            p <<= 1;
        return p;
    };
    g_copy_w = g_pow2 ? up(width) : width;
    g_copy_h = g_pow2 ? up(height) : height;
}
int screen_copy_width(void) { return copy_w(); }
int screen_copy_height(void) { return copy_h(); }
int pow2_screen_copy(void) { return g_pow2; }

void draw_screen_quad(int keep_matrices, int width, int height)
{
    if (keep_matrices) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
    }
    const float su = width > 0 ? (float)option_get(OPT_WIDTH) / (float)width : 1.0f;
    const float sv = height > 0 ? (float)option_get(OPT_HEIGHT) / (float)height : 1.0f;
    // 16 strips of two triangles: position (x, y) and texture (s, t).
    float v[16 * 6 * 4];
    int n = 0;
    for (int i = 0; i < 16; i++) {
        const float x0 = -1.0f + 0.125f * (float)i, x1 = x0 + 0.125f;
        const float c[6][2] = {{x0, -1}, {x1, -1}, {x1, 1}, {x1, 1}, {x0, 1}, {x0, -1}};
        for (const auto &p : c) {
            v[n++] = p[0];
            v[n++] = p[1];
            v[n++] = (p[0] + 1.0f) * 0.5f * su;
            v[n++] = (p[1] + 1.0f) * 0.5f * sv;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 16, v);
    glTexCoordPointer(2, GL_FLOAT, 16, v + 2);
    glDrawArrays(GL_TRIANGLES, 0, 16 * 6);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (keep_matrices) {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
}

void copy_depth_for_dof(void)
{
    if (option_get(OPT_DEPTHOFFIELD) != 1)
        return;
    glActiveTexture(GL_TEXTURE0);
    if (!dof_depth_copy) {
        dof_depth_copy = make_copy_texture();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, copy_w(), copy_h(), 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                     nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, dof_depth_copy);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

void depth_of_field_pass(void)
{
    const ActivePrograms &ap = active_programs();
    // Every piece must exist: the programs, both targets and the depth copy.
    if (option_get(OPT_DEPTHOFFIELD) != 1 || !ap.depthfilter || !ap.gaussian || g_count < 4 || !dof_depth_copy)
        return;
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    if (!dof_colour_copy) {
        dof_colour_copy = make_copy_texture();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, copy_w(), copy_h(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, dof_colour_copy);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, dof_depth_copy);
    glActiveTexture(GL_TEXTURE0);

    bind_render_target(2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, dof_colour_copy);
    use_program(ap.depthfilter);
    set_uniform_1i("texture0", 0);
    set_uniform_1i("depth_tex", 1);
    set_uniform_1f("focus_depth", 0.97f);
    set_uniform_1f("fstop", 150.0f);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    draw_screen_quad(1, copy_w(), copy_h());

    bind_render_target(3);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, g_targets[2].texture);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    use_program(ap.gaussian);
    set_uniform_2f("WinCoord", (float)w, (float)h);
    set_uniform_1i("texture0", 0);
    set_uniform_1f("FilterSwitch", 0.0f);
    draw_screen_quad(1, w, h);

    set_uniform_1f("FilterSwitch", 1.0f);
    bind_render_target(-1);
    glBindTexture(GL_TEXTURE_2D, g_targets[3].texture);
    draw_screen_quad(1, w, h);
    use_program(0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

void create_anaglyph_eye_textures(void)
{
    for (unsigned *t : {&anaglyph_left, &anaglyph_right}) {
        if (*t)
            continue;
        *t = make_copy_texture();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, copy_w(), copy_h(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void copy_anaglyph_eye(int right)
{
    create_anaglyph_eye_textures();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, right ? anaglyph_right : anaglyph_left);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, std::min(copy_w(), option_get(OPT_WIDTH)),
                        std::min(copy_h(), option_get(OPT_HEIGHT)));
    glBindTexture(GL_TEXTURE_2D, 0);
}

namespace {

// Draws the screen quad with the state a full-window copy needs: no depth
// test, lighting or blending; the state is given back afterwards.
void draw_plain_screen_quad(int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    draw_screen_quad(1, width, height);
    glPopAttrib();
}

} // namespace

int compose_anaglyph(void)
{
    const ActivePrograms &ap = active_programs();
    const RenderTarget *t = render_target(g_anaglyph);
    if (!t || !ap.anaglyph || !anaglyph_left || !anaglyph_right)
        return 1;
    bind_render_target(g_anaglyph);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, anaglyph_left);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, anaglyph_right);
    use_program(ap.anaglyph);
    set_uniform_1i("texture0", 0);
    set_uniform_1i("texture1", 1);
    draw_plain_screen_quad(copy_w(), copy_h());
    use_program(0);
    bind_render_target(-1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    g_anaglyph_composed = 1;
    return 0;
}

int draw_anaglyph(void)
{
    const ActivePrograms &ap = active_programs();
    const RenderTarget *t = render_target(g_anaglyph);
    if (!g_anaglyph_composed || !t || !ap.texture)
        return 1;
    bind_render_target(-1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t->texture);
    use_program(ap.texture);
    set_uniform_1i("texture0", 0);
    draw_plain_screen_quad(t->width, t->height);
    use_program(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return 0;
}

void create_raytrace_data_texture(void)
{
    if (g_raytrace_data)
        return;
    glGenTextures(1, &g_raytrace_data);
    glBindTexture(GL_TEXTURE_2D, g_raytrace_data);
    set_texture_sampling(GL_TEXTURE_2D, GL_NEAREST, GL_NEAREST, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

unsigned raytrace_data_texture(void) { return g_raytrace_data; }

void create_no_shadow_texture(void)
{
    if (g_no_shadow)
        return;
    const unsigned char clear[4] = {0, 0, 0, 0};
    glGenTextures(1, &g_no_shadow);
    glBindTexture(GL_TEXTURE_2D, g_no_shadow);
    set_texture_sampling(GL_TEXTURE_2D, GL_NEAREST, GL_NEAREST, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, clear);
    glBindTexture(GL_TEXTURE_2D, 0);
}

unsigned no_shadow_texture(void) { return g_no_shadow; }

SkyTextures &sky_textures(void) { return g_sky; }

void free_render_textures(void)
{
    delete_render_targets();
    delete_texture(&g_sky.sky);
    delete_texture(&g_sky.sun);
    delete_texture(&dof_colour_copy);
    delete_texture(&dof_depth_copy);
    delete_texture(&anaglyph_left);
    delete_texture(&anaglyph_right);
    delete_texture(&g_raytrace_data);
    delete_texture(&g_no_shadow);
    g_anaglyph_composed = 0;
}
