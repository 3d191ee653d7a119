#include "gui/services/console_commands.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "app/base/text.h"
#include "app/base/text_encoding.h"
#include "app/base/utils.h"
#include "game/match_rules.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_world_shader.h"

namespace {

// Splits "word rest" in place: returns the rest (trimmed, "" when none) and
// leaves the word terminated in s.
char *split_word(char *s)
{
    char *p = s;
    while (*p && *p != ' ' && *p != '\t')
        p++;
    if (!*p)
        return p;
    *p++ = '\0';
    return strip_blanks(p);
}

// set <rule> <value>: changes a game rule of the next match.
void cmd_set(const char *arg)
{
    char buf[CONSOLE_LINE_SIZE];
    n_strncpyz(buf, arg, (int)sizeof buf);
    char *key = strip_blanks(buf);
    char *value = split_word(key);
    if (!key[0] || !value[0]) {
        console_echo("usage: set <rule> <value>", MSG_INGAME);
        return;
    }
    if (set_rules_option(key, value, get_next_match_rules()) != 0)
        console_echo(va_format("No such option %s", key), MSG_INGAME);
}

void (*g_quit_handler)(void);

// quit: ends the program after the current frame.
void cmd_quit(const char *)
{
    if (g_quit_handler)
        g_quit_handler();
    else
        console_echo("Nothing to quit", MSG_INGAME);
}

ConsoleSceneWriter g_scene_writer;

// raytrace <file>: the scene as a ray-tracer file in raytrace/. The name is
// one plain file name (no folders, no leading '.'); a file of that name that
// exists is kept and the scene gets a counter in its name.
void cmd_raytrace(const char *arg)
{
    if (!arg[0]) {
        console_echo("usage: raytrace <file>", MSG_INGAME);
        return;
    }
    char path[CONSOLE_LINE_SIZE + 16];
    snprintf(path, sizeof path, "raytrace/%s", arg);
    if (!is_safe_path(arg, 0)) {
        console_echo(va_format("unable to create file %s: not a plain file name", path), MSG_INGAME);
        return;
    }
    char saved[CONSOLE_LINE_SIZE + 32];
    if (g_scene_writer && g_scene_writer(path, saved, (int)sizeof saved) == 0)
        console_echo(va_format("saved file to %s", saved), MSG_INGAME);
    else
        console_echo(va_format("unable to create file %s", path), MSG_INGAME);
}

// True when the folder of path, every link followed, lies in the working
// folder: a name made of safe parts can still lead out through a link.
bool folder_stays_inside(const char *path)
{
    char parent[CONSOLE_LINE_SIZE];
    n_strncpyz(parent, path, (int)sizeof parent);
    char *slash = strrchr(parent, '/');
    if (slash)
        *slash = '\0';
    else
        n_strncpyz(parent, ".", (int)sizeof parent);
    char real[PATH_MAX], here[PATH_MAX];
    if (!realpath(parent, real) || !getcwd(here, sizeof here))
        return false;
    const size_t n = strlen(here);
    return strncmp(real, here, n) == 0 && (real[n] == '\0' || real[n] == '/');
}

// What a game server's line may not do, by reach bit, in the words of the
// refusal.
struct ReachRefusal {
    int bit;
    const char *what;
};
const ReachRefusal k_server_refusals[] = {
    {CONSOLE_WRITES_FILES, "write files"},
    {CONSOLE_ENDS_PROGRAM, "end the program"},
};

// With from_server a command whose reach (a capture counting as writing
// files) a server may not have is refused with a message; true then.
bool refused_for_server(const char *name, int reach)
{
    for (const ReachRefusal &r : k_server_refusals)
        if (reach & r.bit) {
            console_echo(va_format("A server may not %s: %s refused", r.what, name), MSG_INGAME);
            return true;
        }
    return false;
}

// One command line; from_server: a game server's line, which may neither
// write files (no capture either) nor end the program.
int run_line(const char *line, bool from_server)
{
    if (!line)
        return 1;
    if (strlen(line) >= CONSOLE_LINE_SIZE) {
        console_echo("Command line too long", MSG_INGAME);
        return 0;
    }
    char buf[CONSOLE_LINE_SIZE];
    n_strncpyz(buf, line, (int)sizeof buf);
    char *cmd = strip_blanks(buf);
    if (*cmd == '/')
        cmd = strip_blanks(cmd + 1);
    if (!*cmd)
        return 1;

    // "command args > file": the output of the command goes to the file.
    char *capture = strrchr(cmd, '>');
    if (capture) {
        *capture = '\0';
        capture = strip_blanks(capture + 1);
        cmd = strip_blanks(cmd);
    }
    char *arg = split_word(cmd);
    const ConsoleCommand *row = console_find_command(cmd);
    if (!row)
        return 1;

    if (from_server && refused_for_server(row->name, row->reach | (capture ? CONSOLE_WRITES_FILES : 0)))
        return 0;
    if (capture) {
        if (!is_safe_path(capture, 1) || !folder_stays_inside(capture) || console_capture_open(capture) != 0) {
            console_echo(va_format("Unable to open %s", capture), MSG_INGAME);
            return 0;
        }
    }
    row->handler(arg);
    if (capture) {
        char saved[CONSOLE_CAPTURE_PATH];
        if (console_capture_close(saved, (int)sizeof saved) != 0)
            console_echo(va_format("Unable to write %s", capture), MSG_INGAME);
        else if (strcmp(saved, capture) != 0)
            console_echo(va_format("%s is kept; the output went to %s", capture, saved), MSG_INGAME);
    }
    return 0;
}

} // namespace

void console_set_scene_writer(ConsoleSceneWriter writer) { g_scene_writer = writer; }

void console_set_quit_handler(void (*handler)(void)) { g_quit_handler = handler; }

const ConsoleCommand console_commands[] = {
    // name               alias     handler                reach
    {"set",               nullptr,  cmd_set,               0},
    {"quit",              "exit",   cmd_quit,              CONSOLE_ENDS_PROGRAM},
    {"raytrace",          nullptr,  cmd_raytrace,          CONSOLE_WRITES_FILES},
    {"worldshader",       nullptr,  cmd_worldshader,       0},
    {"loadworldshader",   nullptr,  cmd_loadworldshader,   0},
    {"exportworldshader", nullptr,  cmd_exportworldshader, CONSOLE_WRITES_FILES},
    {nullptr,             nullptr,  nullptr,               0},
};

const ConsoleCommand *console_find_command(const char *word)
{
    for (const ConsoleCommand *c = console_commands; c->name; c++) {
        if (strcasecmp(word, c->name) == 0)
            return c;
        if (c->alias && strcasecmp(word, c->alias) == 0)
            return c;
    }
    return nullptr;
}

int run_command(const char *line) { return run_line(line, false); }

int run_server_command(const char *line) { return run_line(line, true); }

void exec_file(const char *path)
{
    FILE *f = path ? fopen_regular(path, "r") : nullptr;
    if (!f) {
        console_echo(va_format("Unable to open %s", path ? path : ""), MSG_INGAME);
        return;
    }
    char buf[CONSOLE_FILE_LINE + 2];
    int line_no = 0;
    bool skipping = false;
    while (fgets(buf, sizeof buf, f)) {
        size_t len = strlen(buf);
        bool whole = (len > 0 && buf[len - 1] == '\n') || feof(f);
        if (skipping) {
            // The rest of an over-long line: never run on its own.
            skipping = !whole;
            continue;
        }
        line_no++;
        if (!whole) {
            fprintf(stderr, "%s:%i: line longer than %i characters skipped\n",
                    path, line_no, CONSOLE_FILE_LINE);
            console_echo(va_format("%s: line %i too long, skipped", path, line_no), MSG_INGAME);
            skipping = true;
            continue;
        }
        char *text = strip_blanks(buf);
        if (!*text || *text == '#')
            continue;
        console_echo(text, MSG_NOTYPE);
        if (run_command(text) != 0)
            console_echo(va_format("Unknown command %s", text), MSG_INGAME);
    }
    fclose(f);
}
