#include "gui/services/console_world_shader.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/message_type.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "gui/services/chat_log.h"

static const ConsoleWorldShader *g_ws;

void console_set_world_shader(const ConsoleWorldShader *ws) { g_ws = ws; }

static bool have_settings(void)
{
    if (!g_ws)
        console_echo("No world shader settings", MSG_INGAME);
    return g_ws != nullptr;
}

void cmd_worldshader(const char *arg)
{
    char *end;
    const long id = strtol(arg, &end, 10);
    if (end == arg) {
        console_echo("usage: worldshader <id> [x y z w]", MSG_INGAME);
        return;
    }
    if (!have_settings())
        return;
    // Ids beyond the int range are still refused as ids.
    const int checked = (id < INT_MIN || id > INT_MAX) ? -1 : (int)id;
    float v[4] = {0, 0, 0, 0};
    int n = 0;
    for (const char *p = end; n < 4; n++) {
        char *after;
        v[n] = strtof(p, &after);
        if (after == p)
            break;
        p = after;
    }
    int failed;
    if (n == 0) {
        failed = g_ws->get(checked, v);
        if (!failed)
            console_echo(va_format("worldshader %i %.2f %.2f %.2f %.2f", checked, v[0], v[1], v[2], v[3]),
                         MSG_INGAME);
    } else {
        for (int k = n; k < 4; k++)
            v[k] = 0;
        failed = g_ws->set(checked, v[0], v[1], v[2], v[3]);
    }
    if (failed)
        console_echo("worldshader: no such id or value (ids 0 to 33)", MSG_INGAME);
}

// The name of a world shader file as the player gave it: one file name in
// data/shader/, no folders.
static bool shader_file_path(const char *name, char *path, size_t size)
{
    snprintf(path, size, "data/shader/%s", name);
    return is_safe_path(name, 0) && strlen(name) + 12 < size;
}

void cmd_loadworldshader(const char *arg)
{
    if (!*arg) {
        console_echo("usage: loadworldshader <file>", MSG_INGAME);
        return;
    }
    if (!have_settings())
        return;
    char path[256];
    if (!shader_file_path(arg, path, sizeof path) || g_ws->load(path) != 0)
        console_echo(va_format("unable to load data/shader/%s", arg), MSG_INGAME);
}

// An export never replaces a file the player kept: an existing name gets a
// counter before its extension ("dusk.inc" -> "dusk-1.inc").
static bool free_export_path(const char *name, char *path, size_t size)
{
    if (!shader_file_path(name, path, size))
        return false;
    if (!file_exists(data_path(path)))
        return true;
    char base[256];
    n_strncpyz(base, path, sizeof base);
    for (int n = 1; n < 1000; n++) {
        if (counted_name(path, (int)size, base, n) != 0)
            return false;
        if (!file_exists(data_path(path)))
            return true;
    }
    return false;
}

void cmd_exportworldshader(const char *arg)
{
    if (!*arg) {
        console_echo("usage: exportworldshader <file>", MSG_INGAME);
        return;
    }
    if (!have_settings())
        return;
    char path[256];
    if (!free_export_path(arg, path, sizeof path) || g_ws->save(path) != 0) {
        console_echo(va_format("unable to export to data/shader/%s", arg), MSG_INGAME);
        return;
    }
    console_echo(va_format("exported to %s", path), MSG_INGAME);
}
