#include "render/rw_regular.h"

#include <SDL.h>
#include <cerrno>
#include <cstdio>

#include "app/base/utils.h"

SDL_RWops *rw_open_regular(const char *path)
{
    FILE *f = fopen_regular(path, "rb");
    if (!f) {
        // A file that is not there is said to be missing; one that is there
        // but is no regular file (a FIFO, a folder) is refused as such.
        if (errno == ENOENT || errno == ENOTDIR)
            SDL_SetError("missing (no such file)");
        else
            SDL_SetError("not a regular file that can be read");
        return nullptr;
    }
    SDL_RWops *rw = SDL_RWFromFP(f, 1);
    if (!rw)
        fclose(f);
    return rw;
}
