#include "app/base/registry.h"

#include "app/base/data_dirs.h"
#include "app/base/utils.h"
#include "app/base/text.h"

#include <climits>
#include <cstdio>
#include <unistd.h>

int set_regedit_key(RegistryRoot, const char *, const char *, const char *)
{
    return 0;
}

int register_replay_type(void)
{
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        fprintf(stderr, "Unable to find current working directory\n");
        return 1;
    }
    char program[PATH_MAX + 16];
    snprintf(program, sizeof program, "%s/kaelmund", cwd);
    // key, value; in this order.
    const char *rows[4][2] = {
        {".rpl", "Kaelmund.Replay"},
        {"Kaelmund.Replay", "Kaelmund Replay"},
        {"Kaelmund.Replay\\DefaultIcon", va_format("%s,0", program)},
        {"Kaelmund.Replay\\Shell\\open\\command", va_format("\"%s\" \"%%1\"", program)},
    };
    for (auto &row : rows)
        set_regedit_key(REG_CLASSES_ROOT, row[0], "", row[1]);
    return 0;
}

int register_if_installed(void)
{
    // A test of the name only: opening a FIFO of that name would block.
    if (file_exists(data_path("kaelmund.exe")))
        register_replay_type();
    return 0;
}

int read_install_path(RegistryRoot, const char *, int size, char *buf)
{
    if (buf && size > 0)
        buf[0] = '\0';
    fprintf(stderr, "Unable to locate Kaelmund directory\n");
    return 1;
}
