// The world's own colours while no world shader settings are applied: the
// background the frame is cleared to and the floor.
#pragma once

const float *world_background_colour(void);
const float *world_floor_colour(void);
