#include "render/world_shader_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "gui/services/console_world_shader.h"
#include "render/world_shader.h"

namespace {

// Applies one settings line; comments, blank lines and unknown names change
// nothing. Returns 1 for a line refused (a number that is not finite).
int read_line(const char *line)
{
    if (line[0] == '#')
        return 0;
    char name[33];
    int used = 0;
    if (sscanf(line, " %32s%n", name, &used) != 1)
        return 0;
    float v[4] = {0, 0, 0, 0};
    const char *p = line + used;
    for (int k = 0; k < 4; k++) {
        char *end;
        const float x = strtof(p, &end);
        if (end == p)
            break;      // missing numbers are 0, as is anything after them
        if (!std::isfinite(x))
            return 1;
        v[k] = x;
        p = end;
    }
    const int id = world_shader_id(name);
    if (id >= 0)
        set_background(id, v[0], v[1], v[2]);
    return 0;
}

// The shortest text of v with at least two decimals that reads back as v.
void number_text(char *dst, size_t size, float v)
{
    for (int decimals = 2; decimals <= 9; decimals++) {
        snprintf(dst, size, "%.*f", decimals, (double)v);
        if (strtof(dst, nullptr) == v)
            return;
    }
    snprintf(dst, size, "%.9g", (double)v);
}

} // namespace

int load_world_shader(const char *path)
{
    FILE *f = path ? fopen_regular(data_path(path), "r") : nullptr;
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", path ? path : "(null)");
        return 1;
    }
    char buf[WORLD_SHADER_LINE + 2];
    int line_no = 0;
    bool cut;
    while (read_text_line(f, buf, (int)sizeof buf, &cut)) {
        line_no++;
        if (cut) {
            fprintf(stderr, "%s:%i: line longer than %i characters skipped\n", path, line_no,
                    WORLD_SHADER_LINE);
            continue;
        }
        if (read_line(buf) != 0)
            fprintf(stderr, "%s:%i: a number that is not finite, line skipped\n", path, line_no);
    }
    fclose(f);
    apply_world_shader();
    return 0;
}

int apply_world_shader_line(const char *line)
{
    if (!line || strlen(line) > WORLD_SHADER_LINE) {
        fprintf(stderr, "apply_world_shader_line : no line or one longer than %i characters\n", WORLD_SHADER_LINE);
        return 1;
    }
    const int result = read_line(line);
    if (result != 0)
        fprintf(stderr, "apply_world_shader_line : a number that is not finite\n");
    apply_world_shader();
    return result;
}

int export_world_shader(const char *path)
{
    const char *target = path ? data_path(path) : nullptr;
    FILE *f = target ? replace_file_open(target) : nullptr;
    if (!f) {
        fprintf(stderr, "Unable to open %s %s\n", path ? path : "(null)", strerror(errno));
        return 1;
    }
    for (int id = 0; id < WORLD_SHADER_PARAMS; id++) {
        float v[4];
        get_shader(id, v);
        const WorldShaderParam &p = world_shader_params[id];
        char a[48], b[48], c[48];
        number_text(a, sizeof a, v[0]);
        if (p.kind == WS_KIND_FLAG) {
            fprintf(f, "%s %i\n", p.name, v[0] != 0.0f ? 1 : 0);
        } else if (p.kind == WS_KIND_FLOAT) {
            fprintf(f, "%s %s\n", p.name, a);
        } else {
            number_text(b, sizeof b, v[1]);
            number_text(c, sizeof c, v[2]);
            fprintf(f, "%s %s %s %s\n", p.name, a, b, c);
        }
    }
    if (replace_file_commit(f, target) != 0) {
        fprintf(stderr, "Unable to write %s %s\n", path, strerror(errno));
        return 1;
    }
    return 0;
}

void world_shader_console_install(void)
{
    static const ConsoleWorldShader hooks = {set_background_and_apply, get_shader, load_world_shader,
                                             export_world_shader};
    console_set_world_shader(&hooks);
}
