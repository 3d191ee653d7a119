#include "app/base/file_list.h"

#include "app/base/data_dirs.h"
#include "app/base/platform_fs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

FileList::FileList() : count(0), capacity(FILE_LIST_STEP), step(FILE_LIST_STEP)
{
    items = (char **)calloc((size_t)capacity, sizeof(char *));
    if (!items)
        capacity = 0;
}

FileList::~FileList()
{
    file_list_clear(this);
    free(items);
}

void file_list_clear(FileList *list)
{
    for (int i = 0; i < list->count; i++) {
        free(list->items[i]);
        list->items[i] = nullptr;
    }
    list->count = 0;
}

static int file_list_append(FileList *list, const char *name)
{
    if (list->count >= list->capacity) {
        int cap = list->capacity + list->step;
        char **grown = (char **)realloc(list->items, (size_t)cap * sizeof(char *));
        if (!grown)
            return 1;
        list->items = grown;
        list->capacity = cap;
    }
    char *block = (char *)calloc(1, FILE_NAME_BLOCK);
    if (!block)
        return 1;
    memcpy(block, name, strlen(name) + 1);
    list->items[list->count++] = block;
    return 0;
}

int list_directory(FileList *list, const char *folder, const char *needle)
{
    file_list_clear(list);
    DirListing *d = dir_open(folder);
    if (!d) {
        fprintf(stderr, "cant open the directory %s\n", folder);
        return -1;
    }
    while (const char *name = dir_next(d)) {
        if (strlen(name) >= FILE_NAME_BLOCK - 1 || !strstr(name, needle ? needle : ""))
            continue;
        file_list_append(list, name); // a name that finds no room is dropped
    }
    dir_close(d);
    return list->count;
}

// One row per folder list: where it lists and what its names contain.
struct FileListKind {
    const char *folder;
    const char *needle;
};

static const FileListKind kinds[FILE_LIST_KINDS] = {
    {"replay", "rpl"},
    {"data/script", "lua"},
    {"data/mod", "kxm"},
    {"data/shader", "inc"},
};

static int g_counts[FILE_LIST_KINDS];

FileList *get_file_list(int i)
{
    // Made on first use and kept until the process ends.
    static FileList lists[FILE_LIST_KINDS];
    return i >= 0 && i < FILE_LIST_KINDS ? &lists[i] : nullptr;
}

int get_file_count(int i)
{
    return i >= 0 && i < FILE_LIST_KINDS ? g_counts[i] : 0;
}

static int scan_kind(int i)
{
    g_counts[i] = list_directory(get_file_list(i), data_path(kinds[i].folder), kinds[i].needle);
    return g_counts[i];
}

int scan_replay_dir(void) { return scan_kind(FILE_LIST_REPLAYS); }
int scan_script_dir(void) { return scan_kind(FILE_LIST_SCRIPTS); }
int scan_mod_dir(void) { return scan_kind(FILE_LIST_MODS); }
int scan_shader_dir(void) { return scan_kind(FILE_LIST_SHADERS); }
