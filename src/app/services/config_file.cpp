#include "app/services/config_file.h"

#include <cstdio>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"

static ConfigRow g_config[] = {
    {"nick", "", 0}, {"mousebuttons", "", 0}, {"backgroundclick", "", 0}, {"volume", "", 0},
    {"fullscreen", "", 0}, {"autosave_rpl", "", 0}, {"rememberrules", "", 0},
    {"frameskip", "", 0}, {"framerate", "", 0}, {"fluid", "", 0}, {"reflection", "", 0},
    {"transparency", "", 0}, {"softshadow", "", 0}, {"ambientocclusion", "", 0},
    {"bumpmapping", "", 0}, {"cellshading", "", 0}, {"raytracing", "", 0}, {"width", "", 0},
    {"height", "", 0}, {"shaders", "", 0}, {"noreload", "", 0}, {"beginner", "", 0},
    {"mod", "", 1}, {"matchframes", "", 1}, {"turnframes", "", 1}, {"flags", "", 1},
    {"dismemberment", "", 1}, {"fracture", "", 1}, {"disqualification", "", 1},
    {"dqtimeout", "", 1}, {"dqflag", "", 1}, {"dismemberthreshold", "", 1},
    {"fracturethreshold", "", 1}, {"dojotype", "", 1}, {"dojosize", "", 1},
    {"engagedistance", "", 1}, {"engageheight", "", 1}, {"engagerotation", "", 1},
    {"engagespace", "", 1}, {"engageplayerpos", "", 1}, {"engageplayerrot", "", 1},
    {"damage", "", 1}, {"gravity", "", 1},
    // No rows for sumo and rpg: the file never keeps them.
    {"", "", 0},
};

static char g_name[CONFIG_NAME_SIZE];

// A new table starts empty: nothing read from an earlier file is kept.
int config_open(const char *name)
{
    config_clear();
    return config_load(name);
}

void config_close(void) { g_name[0] = '\0'; }

void config_clear(void)
{
    for (ConfigRow *row = g_config; row->key[0]; row++)
        row->value[0] = '\0';
}

ConfigRow *config_find(const char *key)
{
    if (key) {
        for (ConfigRow *row = g_config; row->key[0]; row++) {
            if (strcmp(row->key, key) == 0)
                return row;
        }
    }
    // The key may come from a damaged file: its bytes are printed escaped.
    char shown[CONFIG_NAME_SIZE * 4];
    fprintf(stderr, "no such key %s\n", escape_text(shown, (int)sizeof shown, key));
    return nullptr;
}

int config_set(const char *key, const char *text)
{
    ConfigRow *row = config_find(key);
    if (!row)
        return 1;
    n_strncpyz(row->value, text ? text : "", CONFIG_VALUE_SIZE);
    return 0;
}

int config_get(const char *key, char *dst, int len)
{
    ConfigRow *row = config_find(key);
    if (!row || !row->value[0])
        return 1;
    if (dst && len > 0)
        n_strncpyz(dst, row->value, len);
    return 0;
}

// Splits one line into its key (the first word) and the rest of the line
// (the value, cut at CR or LF). 0 when there is no key or a field is too
// long for the file's limits (255 characters each).
static int split_line(const char *line, char *key, char *value)
{
    const char *p = line;
    while (*p == ' ' || *p == '\t')
        p++;
    size_t klen = strcspn(p, " \t\r\n");
    if (klen == 0 || klen >= CONFIG_NAME_SIZE)
        return 0;
    memcpy(key, p, klen);
    key[klen] = '\0';
    p += klen;
    while (*p == ' ' || *p == '\t')
        p++;
    size_t vlen = strcspn(p, "\r\n");
    if (vlen >= CONFIG_NAME_SIZE)
        return 0;
    memcpy(value, p, vlen);
    value[vlen] = '\0';
    return 1;
}

int config_load(const char *name)
{
    if (name != g_name)
        n_strncpyz(g_name, name ? name : "", sizeof g_name);
    FILE *f = fopen_regular(data_path(g_name), "r");
    if (!f) {
        fprintf(stderr, "unable to open default.cfg\n");
        return 1;
    }
    char line[CONFIG_LINE_SIZE];
    int number = 0;
    while (fgets(line, sizeof line, f)) {
        number++;
        size_t len = strlen(line);
        if (len == sizeof line - 1 && line[len - 1] != '\n') {
            // Longer than any line the program writes: skip the rest of it
            // rather than read its tail as a line of its own.
            int c;
            while ((c = fgetc(f)) != EOF && c != '\n') {
            }
            fprintf(stderr, "%s:%d: line too long, skipped\n", g_name, number);
            continue;
        }
        if (line[0] == '#')
            continue;
        char key[CONFIG_NAME_SIZE], value[CONFIG_NAME_SIZE];
        if (!split_line(line, key, value)) {
            if (strspn(line, " \t\r\n") != len)
                fprintf(stderr, "%s:%d: unreadable line skipped\n", g_name, number);
            continue;
        }
        ConfigRow *row = config_find(key);
        if (row)
            n_strncpyz(row->value, strip_blanks_quotes(value), CONFIG_VALUE_SIZE);
    }
    fclose(f);
    return 0;
}

int config_save(void)
{
    // Written beside the file and renamed over it: a crash while saving
    // leaves the old file whole.
    const char *path = data_path(g_name);
    FILE *f = path[0] ? replace_file_open(path) : nullptr;
    if (!f) {
        fprintf(stderr, "Unable to open default.cfg\n");
        return 1;
    }
    const int remember = option_get(OPT_REMEMBERRULES);
    fputs("#Automatically generated from Setup. Don't edit\r\n", f);
    for (const ConfigRow *row = g_config; row->key[0]; row++) {
        if (row->game_rule && remember == 0)
            continue;
        if (!row->value[0])
            continue;
        fprintf(f, "%s \"%s\"\r\n", row->key, row->value);
    }
    if (replace_file_commit(f, path) != 0) {
        fprintf(stderr, "Unable to write %s\n", path);
        return 1;
    }
    return 0;
}
