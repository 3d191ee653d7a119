#include "render/rw_regular.h"

#include <SDL.h>
#include <cstdio>

#include "app/base/utils.h"

SDL_RWops *rw_open_regular(const char *path)
{
    FILE *f = fopen_regular(path, "rb");
    if (!f) {
        SDL_SetError("not a regular file that can be read");
        return nullptr;
    }
    SDL_RWops *rw = SDL_RWFromFP(f, 1);
    if (!rw)
        fclose(f);
    return rw;
}
