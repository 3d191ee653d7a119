#include "net/records/user_equipment.h"

#include <cstdio>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/user_strings.h"
#include "app/base/utils.h"
#include "net/records/player_records.h"

int user_equipment_path(char *out, int size)
{
    if (!out || size <= 0)
        return 1;
    out[0] = '\0';
    const char *name = get_nick_escaped();
    if (!name || !name[0])
        return 1;
    if (!is_safe_path(name, 0)) {
        fprintf(stderr, "equipment: user name %s is not a plain file name\n", name);
        return 1;
    }
    const int n = snprintf(out, (size_t)size, "custom/%s/equipment.dat", name);
    if (n < 0 || n >= size) {
        out[0] = '\0';
        return 1;
    }
    return 0;
}

int load_user_equipment(void)
{
    char path[EQUIPMENT_PATH_SIZE];
    if (user_equipment_path(path, (int)sizeof path) != 0)
        return 1;
    FILE *f = fopen_regular(data_path(path), "r");
    if (!f)
        return 1;
    char line[256];
    int result = 1;
    bool cut;
    while (result != 0 && read_text_line(f, line, (int)sizeof line, &cut)) {
        // A line too long for the buffer is skipped whole, not read in pieces.
        if (cut) {
            fprintf(stderr, "%s: line longer than %i characters skipped\n", path, (int)sizeof line - 2);
            continue;
        }
        char *text = strip_blanks(line);
        if (!*text || *text == '#')
            continue;
        GhostBuffer read = {};
        parse_ghost_line(text, &read);
        if (read.set) {
            *get_ghost_buffer() = read;
            result = 0;
        } else {
            fprintf(stderr, "%s: no equipment numbers in \"%.40s\"\n", path, text);
        }
    }
    fclose(f);
    return result;
}

int save_user_equipment(void)
{
    char path[EQUIPMENT_PATH_SIZE];
    if (user_equipment_path(path, (int)sizeof path) != 0)
        return 1;
    const GhostBuffer *g = get_ghost_buffer();
    ensure_parent_dirs(data_path(path));
    FILE *f = replace_file_open(data_path(path));
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", path);
        return 1;
    }
    fprintf(f, "# equipment\n%i %i %i\n", (int)g->value[0], (int)g->value[1], (int)g->value[2]);
    if (replace_file_commit(f, data_path(path)) != 0) {
        fprintf(stderr, "Unable to write %s\n", path);
        return 1;
    }
    return 0;
}
