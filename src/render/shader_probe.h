// The decisions of the shader path's start-up that need no OpenGL: whether
// the renderer wants power-of-two screen copies, whole-word extension
// matching, and the probe of what the driver offers.
#pragma once

// 1 when the lower-cased renderer string holds "ati" or "radeon" anywhere.
int renderer_wants_pow2_copies(const char *renderer);
// 1 when a GL_VERSION string ("major.minor ...", possibly after an "OpenGL
// ES " prefix) names at least major.minor; 0 for anything unreadable.
int gl_version_at_least(const char *version, int major, int minor);
// 1 when `name` is one whole space-separated word of `list`.
int has_extension(const char *list, const char *name);

struct ShaderSupport {
    int gl20;              // the driver reports OpenGL 2.0 or later
    int gl20_entry_points; // and its entry points (glCreateProgram ...) are there
    int arb_shader_objects, arb_fragment_shader, arb_vertex_shader;
    int framebuffer_object;
};
// Appends the probe's tags to the hardware report (",NOOGL20",
// ",NORAYTRACER", ",NOGLARB", ",NOGLARBFS", ",NOGLARBVS") and decides: 0
// the shader path can start; 1 it cannot (message on standard error, the
// shaders option turned off).
int probe_shader_caps(const ShaderSupport *s);
