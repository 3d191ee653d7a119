#include "app/base/platform_fs.h"

#include "app/base/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

struct DirListing {
    std::vector<std::string> names;
    size_t next = 0;
};

static int ascii_lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

int dir_name_compare(const char *a, const char *b)
{
    const unsigned char *p = (const unsigned char *)a, *q = (const unsigned char *)b;
    for (;; p++, q++) {
        int d = ascii_lower(*p) - ascii_lower(*q);
        if (d != 0)
            return d;
        if (!*p)
            break;
    }
    return strcmp(a, b);
}

DirListing *dir_open(const char *folder)
{
    DIR *dir = opendir(folder);
    if (!dir)
        return nullptr;
    DirListing *d = new (std::nothrow) DirListing;
    if (!d) {
        closedir(dir);
        return nullptr;
    }
    try {
        while (dirent *e = readdir(dir)) {
            if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
                continue;
            d->names.emplace_back(e->d_name);
        }
    } catch (const std::bad_alloc &) {
        closedir(dir);
        delete d;
        return nullptr;
    }
    closedir(dir);
    std::sort(d->names.begin(), d->names.end(), [](const std::string &a, const std::string &b) {
        return dir_name_compare(a.c_str(), b.c_str()) < 0;
    });
    return d;
}

const char *dir_next(DirListing *d)
{
    if (!d || d->next >= d->names.size())
        return nullptr;
    return d->names[d->next++].c_str();
}

int dir_close(DirListing *d)
{
    if (!d)
        return -1;
    delete d;
    return 0;
}

int fs_is_file(const char *path)
{
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

int fs_is_dir(const char *path)
{
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int fs_exists(const char *path)
{
    struct stat st;
    return path && stat(path, &st) == 0;
}

int fs_is_writable(const char *path)
{
    return path && access(path, W_OK) == 0;
}

int fs_mkdir(const char *path)
{
    if (mkdir(path, 0755) == 0)
        return 0;
    return errno == EEXIST && fs_is_dir(path) ? 0 : 1;
}

int fs_exe_path(char *out, int size)
{
    if (size < 2)
        return 1;
    ssize_t n = readlink("/proc/self/exe", out, (size_t)size - 1);
    if (n <= 0 || n >= size - 1) {
        out[0] = '\0';
        return 1;
    }
    out[n] = '\0';
    return 0;
}

int fs_dir_of(const char *path, char *out, int size)
{
    if (size < 2)
        return 1;
    const char *slash = strrchr(path, '/');
    if (!slash) {
        n_strncpyz(out, ".", size);
        return 0;
    }
    size_t len = slash == path ? 1 : (size_t)(slash - path); // "/x" -> "/"
    if (len >= (size_t)size)
        return 1;
    memcpy(out, path, len);
    out[len] = '\0';
    return 0;
}
