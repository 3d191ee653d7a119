// The fixed-function drawing of the limb trails and the flames, with the
// Texture objects they own: made by trails_init / flames_init (texture_init
// and texture_load_named), bound modulated by the drawing, deleted by
// trails_free / flames_free. A trail's texture is data/textures/trail, or
// "trail_r_hand" (l_hand, r_foot, l_foot) from the fighter's custom folder
// when its TEXTRAIL flag is set; its colours the TRAILCOL rows. A fighter's
// flame texture is "flame" from its custom folder, else custom/zud/flame;
// without one its flames do not burn.
#pragma once

struct Texture;

void trails_init(void);
void trails_draw(void);
void trails_free(void);
void flames_init(void);
void flames_draw(void);
void flames_free(void);
// The trails when the `trails` option is on, the flames when `particles` is.
void draw_flames_and_trails(void);
// Texture k (trails 0..7, flames 8..9), null outside.
const Texture *particles_texture_object(int k);
// The texture names held now (for the release check): trails 8, flames 2.
unsigned particles_texture(int k);
enum { PARTICLE_TEXTURES = 10 };
