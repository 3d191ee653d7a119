#include "net/records/buddies.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <strings.h>
#include <vector>

#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/utils.h"

namespace {

struct BuddyName {
    char text[BUDDY_NAME_SIZE];
};

std::mutex g_lock;
std::vector<BuddyName> g_names;

// Reads the names into list without the lock held: the file is read before
// the list is swapped in.
int read_names(FILE *f, const char *path, std::vector<BuddyName> &list)
{
    char line[256];
    int line_no = 0;
    bool cut;
    while (read_text_line(f, line, (int)sizeof line, &cut)) {
        line_no++;
        char *name = strip_blanks(line);
        if (!*name || *name == '#')
            continue;
        if (cut || strlen(name) >= BUDDY_NAME_SIZE) {
            fprintf(stderr, "%s:%i: name longer than %i characters skipped\n", path, line_no, BUDDY_NAME_SIZE - 1);
            continue;
        }
        if ((int)list.size() >= BUDDY_MAX) {
            fprintf(stderr, "%s: more than %i buddies; the rest are dropped\n", path, BUDDY_MAX);
            break;
        }
        BuddyName b;
        n_strncpyz(b.text, name, (int)sizeof b.text);
        list.push_back(b);
    }
    return (int)list.size();
}

} // namespace

int buddies_load(void) { return buddies_load_from("data/buddies.txt"); }

int buddies_load_from(const char *path)
{
    std::vector<BuddyName> list;
    list.reserve(BUDDY_START_ROOM);
    FILE *f = path ? fopen_regular(data_path(path), "r") : nullptr;
    const int n = f ? read_names(f, path, list) : -1;
    if (f)
        fclose(f);
    std::lock_guard<std::mutex> hold(g_lock);
    g_names.swap(list);
    return n;
}

void buddies_clear(void)
{
    std::vector<BuddyName> none;
    std::lock_guard<std::mutex> hold(g_lock);
    g_names.swap(none);
}

int buddy_count(void)
{
    std::lock_guard<std::mutex> hold(g_lock);
    return (int)g_names.size();
}

int buddy_name(int i, char *out, int size)
{
    if (!out || size <= 0)
        return 1;
    std::lock_guard<std::mutex> hold(g_lock);
    if (i < 0 || i >= (int)g_names.size()) {
        out[0] = '\0';
        return 1;
    }
    n_strncpyz(out, g_names[(size_t)i].text, size);
    return 0;
}

int is_buddy(const char *name)
{
    if (!name)
        return 0;
    std::lock_guard<std::mutex> hold(g_lock);
    for (const BuddyName &b : g_names)
        if (strcasecmp(b.text, name) == 0)
            return 1;
    return 0;
}
