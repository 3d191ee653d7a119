// The fixed-function drawing of the limb trails and the flames, with the
// textures they own: made by trails_init / flames_init, deleted by
// trails_free / flames_free.
#pragma once

void trails_init(void);
void trails_draw(void);
void trails_free(void);
void flames_init(void);
void flames_draw(void);
void flames_free(void);
// The texture names held now (for the release check): trails 8, flames 2.
unsigned particles_texture(int k);
enum { PARTICLE_TEXTURES = 10 };
