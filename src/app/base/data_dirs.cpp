#include "app/base/data_dirs.h"

#include "app/base/platform_fs.h"
#include "app/base/text.h"
#include "app/base/utils.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

enum { USER_DIR_SIZE = 1024 };
static char g_user_dir[USER_DIR_SIZE] = ".";

const char *data_path(const char *name)
{
    return name;
}

const char *user_dir(void)
{
    return g_user_dir;
}

static const char *env_nonempty(const char *name)
{
    const char *v = getenv(name);
    return v && *v ? v : nullptr;
}

int data_dirs_init(void)
{
    const char *base = env_nonempty("APPDATA");
    if (!base) {
        // Every file lives beside the program: nothing to make.
        n_strncpyz(g_user_dir, ".", USER_DIR_SIZE);
        return 0;
    }
    int n = snprintf(g_user_dir, USER_DIR_SIZE, "%s/Kaelmund", base);
    if (n < 0 || n >= USER_DIR_SIZE - 1) {
        fprintf(stderr, "User folder name too long: %s/Kaelmund\n", base);
        n_strncpyz(g_user_dir, ".", USER_DIR_SIZE);
        return 1;
    }
    ensure_parent_dirs(data_path(va_format("%s/", g_user_dir)));
    if (!fs_is_dir(g_user_dir)) {
        fprintf(stderr, "Unable to create the user folder %s\n", g_user_dir);
        return 1;
    }
    return 0;
}

int chdir_to_exe_dir(const char *path)
{
    char exe[USER_DIR_SIZE];
    if (!path) {
        if (fs_exe_path(exe, sizeof exe) != 0) {
            fprintf(stderr, "Unable to split path %s\n", "/proc/self/exe");
            return 1;
        }
        path = exe;
    }
    char dir[USER_DIR_SIZE];
    if (fs_dir_of(path, dir, sizeof dir) != 0) {
        fprintf(stderr, "Unable to split path %s\n", path);
        return 1;
    }
    if (chdir(dir) != 0) {
        fprintf(stderr, "Unable to change to dir %s\n", dir);
        return 1;
    }
    return 0;
}
