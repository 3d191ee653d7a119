#include "render/world_colours.h"

// A pale sky: far from every fighter colour row so the fighters stand out.
static const float k_background[3] = {0.78f, 0.84f, 0.9f};
// The floor is the background a tenth darker: the horizon shows, and the
// planar shadows (0.8 x background) are darker than the floor they fall on,
// a plain darkening of its colour, whatever background is set.
static const float k_floor_shade = 0.9f;

const float *world_background_colour(void) { return k_background; }

void world_floor_colour(const float *background, float rgb[3])
{
    for (int k = 0; k < 3; k++)
        rgb[k] = background[k] * k_floor_shade;
}
