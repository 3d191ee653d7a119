#include "app/video_modes_sdl.h"

#include <SDL.h>

void print_video_modes(FILE *out, SDL_Rect **modes)
{
    if (!modes) {
        fprintf(out, "No modes available!\n");
        return;
    }
    if (modes == (SDL_Rect **)-1) {
        fprintf(out, "All resolutions available.\n");
        return;
    }
    for (int i = 0; modes[i]; i++)
        fprintf(out, "  %d x %d\n", modes[i]->w, modes[i]->h);
}

void list_video_modes(void)
{
    print_video_modes(stdout, SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL));
    fflush(stdout);
}
