#include "app/base/temp_names.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char k_mark[] = ".kaelmund-";
const char k_end[] = ".tmp";

// Reads the decimal digits at *p (at least one, at most 19) into *value
// and moves *p past them; false when there are none or too many.
bool read_digits(const char **p, unsigned long long *value)
{
    const char *s = *p;
    unsigned long long v = 0;
    int n = 0;
    while (*s >= '0' && *s <= '9') {
        if (++n > 19)
            return false;
        v = v * 10 + (unsigned)(*s++ - '0');
    }
    if (n == 0)
        return false;
    *p = s;
    *value = v;
    return true;
}

unsigned long long own_start_time(void)
{
    static const unsigned long long start = process_start_time((long)getpid());
    return start;
}

} // namespace

int temp_name_beside(char *tmp, size_t size, const char *path, int n)
{
    if (!tmp || !path || !*path || n < 1 || n > TEMP_NAME_TRIES)
        return 0;
    const char *slash = strrchr(path, '/');
    const char *base = slash ? slash + 1 : path;
    if (!*base)
        return 0;
    const int r = snprintf(tmp, size, "%.*s.%s%s%ld-%llu-%d%s", (int)(base - path), path, base, k_mark,
                           (long)getpid(), own_start_time(), n, k_end);
    return r > 0 && (size_t)r < size;
}

int temp_name_writer(const char *name, long *pid, unsigned long long *start)
{
    if (!name || name[0] != '.' || strchr(name, '/'))
        return 0;
    // The last mark: a player's name may hold the text too.
    const char *mark = nullptr;
    for (const char *m = strstr(name + 1, k_mark); m; m = strstr(m + 1, k_mark))
        mark = m;
    // At least one character of the target's name before the mark.
    if (!mark || mark < name + 2)
        return 0;
    const char *p = mark + sizeof k_mark - 1;
    unsigned long long id, when, n;
    if (!read_digits(&p, &id) || *p++ != '-' || !read_digits(&p, &when) || *p++ != '-' || !read_digits(&p, &n))
        return 0;
    if (strcmp(p, k_end) != 0 || n < 1 || n > TEMP_NAME_TRIES || id < 1 || id > 0x7fffffffULL)
        return 0;
    *pid = (long)id;
    *start = when;
    return 1;
}

unsigned long long process_start_time(long pid)
{
    char path[64], buf[1024];
    snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE *f = fopen(path, "re");
    if (!f)
        return 0;
    const size_t got = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[got] = '\0';
    // The command name (field 2) is in parentheses and may hold blanks or
    // parentheses itself: the fields are counted after the last ')'. The
    // start time is field 22.
    const char *p = strrchr(buf, ')');
    if (!p)
        return 0;
    p++;
    for (int field = 3; field < 22; field++) {
        p = strchr(p + 1, ' ');
        if (!p)
            return 0;
    }
    p++;
    unsigned long long start = 0;
    return read_digits(&p, &start) ? start : 0;
}

int process_running(long pid, unsigned long long start)
{
    if (pid < 1)
        return 0;
    if (kill((pid_t)pid, 0) != 0 && errno == ESRCH)
        return 0;
    const unsigned long long now = start ? process_start_time(pid) : 0;
    return !(now && now != start);
}

int remove_stale_temp_files(const char *folder)
{
    DIR *dir = folder ? opendir(folder) : nullptr;
    if (!dir)
        return 0;
    int removed = 0;
    while (const struct dirent *e = readdir(dir)) {
        long pid;
        unsigned long long start;
        if (!temp_name_writer(e->d_name, &pid, &start))
            continue;
        char path[4096];
        const int n = snprintf(path, sizeof path, "%s/%s", folder, e->d_name);
        struct stat st;
        if (n < 0 || (size_t)n >= sizeof path || lstat(path, &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != geteuid() || process_running(pid, start))
            continue;
        if (unlink(path) == 0) {
            fprintf(stderr, "Removed %s, left by a save that did not finish\n", path);
            removed++;
        }
    }
    closedir(dir);
    return removed;
}
