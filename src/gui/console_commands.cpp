#include "gui/console_commands.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "app/text.h"
#include "game/match_rules.h"
#include "gui/chat_log.h"
#include "app/text.h"
#include "app/text_encoding.h"

// MERGE NOTE: declared here until src/game/match_rules.h declares it.
int set_rules_option(const char *key, const char *value, MatchRules *rules);

namespace {

// Cuts trailing blanks, tabs and line ends in place and returns a pointer
// past leading blanks and tabs.
char *trim(char *s)
{
    size_t len = strlen(s);
    while (len > 0 && (s[len - 1] == ' ' || s[len - 1] == '\t' ||
                       s[len - 1] == '\r' || s[len - 1] == '\n'))
        s[--len] = '\0';
    while (*s == ' ' || *s == '\t')
        s++;
    return s;
}

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
    return trim(p);
}

// set <rule> <value>: changes a game rule of the next match.
void cmd_set(const char *arg)
{
    char buf[CONSOLE_LINE_SIZE];
    n_strncpyz(buf, arg, (int)sizeof buf);
    char *key = trim(buf);
    char *value = split_word(key);
    if (!key[0] || !value[0]) {
        console_echo("usage: set <rule> <value>", MSG_INGAME);
        return;
    }
    if (set_rules_option(key, value, get_next_match_rules()) != 0)
        console_echo(va_format("No such option %s", key), MSG_INGAME);
}

} // namespace

const ConsoleCommand console_commands[] = {
    {"set", nullptr, cmd_set},
    {nullptr, nullptr, nullptr},
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

int console_path_is_safe(const char *name)
{
    if (!name || !name[0] || name[0] == '/' || strchr(name, '\\'))
        return 0;
    // No part of the path may be "..".
    const char *p = name;
    while (*p) {
        const char *end = strchr(p, '/');
        size_t len = end ? (size_t)(end - p) : strlen(p);
        if (len == 2 && p[0] == '.' && p[1] == '.')
            return 0;
        if (!end)
            break;
        p = end + 1;
    }
    return 1;
}

int run_command(const char *line)
{
    if (!line)
        return 1;
    if (strlen(line) >= CONSOLE_LINE_SIZE) {
        console_echo("Command line too long", MSG_INGAME);
        return 0;
    }
    char buf[CONSOLE_LINE_SIZE];
    n_strncpyz(buf, line, (int)sizeof buf);
    char *cmd = trim(buf);
    if (*cmd == '/')
        cmd = trim(cmd + 1);
    if (!*cmd)
        return 1;

    // "command args > file": the output of the command goes to the file.
    char *capture = strrchr(cmd, '>');
    if (capture) {
        *capture = '\0';
        capture = trim(capture + 1);
        cmd = trim(cmd);
    }
    char *arg = split_word(cmd);
    const ConsoleCommand *row = console_find_command(cmd);
    if (!row)
        return 1;

    if (capture) {
        if (!console_path_is_safe(capture)) {
            console_echo(va_format("Unable to open %s", capture), MSG_INGAME);
            return 0;
        }
        if (console_capture_open(capture) != 0) {
            console_echo(va_format("Unable to open %s", capture), MSG_INGAME);
            return 0;
        }
    }
    row->handler(arg);
    if (capture)
        console_capture_close();
    return 0;
}

void exec_file(const char *path)
{
    FILE *f = path ? fopen(path, "r") : nullptr;
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
        char *text = trim(buf);
        if (!*text || *text == '#')
            continue;
        console_echo(text, MSG_NOTYPE);
        if (run_command(text) != 0)
            console_echo(va_format("Unknown command %s", text), MSG_INGAME);
    }
    fclose(f);
}
