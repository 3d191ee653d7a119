#include "render/world_colours.h"

// A pale sky and a warm grey floor: both far from every fighter colour row
// so the fighters stand out.
static const float k_background[3] = {0.78f, 0.84f, 0.9f};
static const float k_floor[3] = {0.55f, 0.53f, 0.48f};

const float *world_background_colour(void) { return k_background; }
const float *world_floor_colour(void) { return k_floor; }
