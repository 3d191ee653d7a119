// The full-screen modes SDL offers, printed on standard output.
#pragma once
#include <cstdio>

struct SDL_Rect;

// Prints the list SDL_ListModes gives: "No modes available!" for none,
// "All resolutions available." when any size goes, else "  W x H" a line.
void print_video_modes(FILE *out, SDL_Rect **modes);
// The full-screen OpenGL modes of the display on standard output.
void list_video_modes(void);
