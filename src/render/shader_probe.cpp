#include "render/shader_probe.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/base/options.h"
#include "render/hardware_report.h"

int renderer_wants_pow2_copies(const char *renderer)
{
    char lower[512];
    int n = 0;
    for (; renderer && renderer[n] && n < (int)sizeof lower - 1; n++)
        lower[n] = (char)tolower((unsigned char)renderer[n]);
    lower[n] = '\0';
    return strstr(lower, "ati") || strstr(lower, "radeon") ? 1 : 0;
}

int gl_version_at_least(const char *version, int major, int minor)
{
    if (!version)
        return 0;
    while (*version && !(*version >= '0' && *version <= '9'))
        version++;
    int ma = 0, mi = 0;
    if (sscanf(version, "%3d.%3d", &ma, &mi) != 2)
        return 0;
    return ma > major || (ma == major && mi >= minor) ? 1 : 0;
}

int has_extension(const char *list, const char *name)
{
    if (!list || !name || !*name)
        return 0;
    const size_t len = strlen(name);
    for (const char *p = strstr(list, name); p; p = strstr(p + 1, name)) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[len] == '\0' || p[len] == ' ';
        if (starts && ends)
            return 1;
    }
    return 0;
}

int probe_shader_caps(const ShaderSupport *s)
{
    int counter = 0;
    if (s->gl20)
        counter = 1;
    else
        stats_line_append(",NOOGL20");
    if (!option_get(OPT_RAYTRACING))
        stats_line_append(",NORAYTRACER");
    if (!s->arb_shader_objects)
        stats_line_append(",NOGLARB");
    else
        counter = s->gl20 ? 2 : 1;
    if (!s->arb_fragment_shader)
        stats_line_append(",NOGLARBFS");
    else
        counter++;
    if (!s->arb_vertex_shader)
        stats_line_append(",NOGLARBVS");
    else
        counter++;
    if (counter == 0) {
        fprintf(stderr, "No shader extension found. Abort");
        option_set(OPT_SHADERS, 0);
        return 1;
    }
    // The programs are made through the OpenGL 2.0 entry points: a driver
    // that offers only the ARB forms cannot run them.
    if (!s->gl20 || !s->gl20_entry_points) {
        fprintf(stderr, "OpenGL 2.0 shader functions not available. Abort.\n");
        option_set(OPT_SHADERS, 0);
        return 1;
    }
    if (!s->framebuffer_object) {
        fprintf(stderr, "GL_EXT_framebuffer_object not supported. Abort.\n");
        option_set(OPT_SHADERS, 0);
        return 1;
    }
    return 0;
}
