#include <GL/glew.h>

#include "render/renderer_gl.h"

#include <cstdio>

#include "app/base/options.h"
#include "app/services/settings.h"
#include "render/graphics_gl.h"
#include "render/hardware_report.h"
#include "render/mesh_gl.h"
#include "render/render_targets_gl.h"
#include "render/shader_probe.h"
#include "render/shader_programs_gl.h"
#include "render/shader_table.h"

static int g_started;

static const char *gl_text(GLenum which)
{
    const char *s = (const char *)glGetString(which);
    return s ? s : "";
}

// The extension list of a compatibility context; assembled from the
// indexed strings when the single string is not offered.
static bool extension(const char *name)
{
    const char *list = (const char *)glGetString(GL_EXTENSIONS);
    if (list)
        return has_extension(list, name) != 0;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint n = 0;
    if (glGetStringi)
        glGetIntegerv(GL_NUM_EXTENSIONS, &n);
    for (GLint i = 0; i < n; i++) {
        const char *e = (const char *)glGetStringi(GL_EXTENSIONS, (GLuint)i);
        if (e && has_extension(e, name))
            return true;
    }
    return false;
}

int probe_shader_support(void)
{
    ShaderSupport s = {};
    // The version the driver reports: GLEW's own flag also counts a version
    // as present when its entry points merely load.
    s.gl20 = gl_version_at_least(gl_text(GL_VERSION), 2, 0);
    s.gl20_entry_points = gl20_entry_points_present();
    s.arb_shader_objects = extension("GL_ARB_shader_objects");
    s.arb_fragment_shader = extension("GL_ARB_fragment_shader");
    s.arb_vertex_shader = extension("GL_ARB_vertex_shader");
    s.framebuffer_object = extension("GL_EXT_framebuffer_object") && glGenFramebuffersEXT &&
                           glBindFramebufferEXT && glFramebufferTexture2DEXT && glCheckFramebufferStatusEXT &&
                           glDeleteFramebuffersEXT && glGenBuffers && glMapBuffer && glActiveTexture;
    return probe_shader_caps(&s);
}

static void start_shader_path(void);

// The settings read the shader path as it runs: on only after a start-up
// that completed, off when the driver refused it or the option is off.
void init_renderer(void)
{
    start_shader_path();
    shader_path_set(g_started);
}

static void start_shader_path(void)
{
    release_renderer();
    if (!option_get(OPT_SHADERS))
        return;
    const char *renderer = gl_text(GL_RENDERER);
    set_screen_copy_size(option_get(OPT_WIDTH), option_get(OPT_HEIGHT), renderer_wants_pow2_copies(renderer));
    build_stats_line(renderer);
    if (probe_shader_support() != 0) {
        option_set(OPT_SHADERS, 0);
        stats_line_append(",NOSHADER");
        return;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    clear_vertex_buffer_failed();
    create_raytrace_data_texture();
    create_no_shadow_texture();
    build_builtin_meshes();
    if (shaders_init() != 0) {
        option_set(OPT_SHADERS, 0);
        stats_line_append(",FAIL\n");
        write_stats_line();
        release_renderer();
        return;
    }
    // A failed target switches its own effect off; the passes check that
    // each target they use exists.
    create_render_targets();
    set_lighting_model("default");
    if (option_get(OPT_ANAGLYPHIC) == 1)
        create_anaglyph_eye_textures();
    g_started = option_get(OPT_SHADERS) != 0;
    set_shaders_active(g_started);
    stats_line_append(",SUCCESS\n");
    write_stats_line();
}

void release_renderer(void)
{
    g_started = 0;
    set_shaders_active(0);
    if (glUseProgram)
        use_program(0);
    free_render_textures();
    free_builtin_meshes();
    release_shader_programs();
}

int renderer_started(void) { return g_started; }
