// The screen-grab textures: one 512 x 512 and two 256 x 256, RGBA, made
// with the renderer and deleted with it.
#pragma once

enum { SCREEN_TEXTURES = 3 };

void create_screen_textures(void);
// Deletes what create_screen_textures made; safe to call twice.
void delete_screen_textures(void);
// The GL names held now (0 for none), for leak checks.
void screen_texture_names(unsigned names[SCREEN_TEXTURES]);
