// The world's own colours while no world shader settings are applied: the
// background the frame is cleared to and the fixed path's floor.
#pragma once

const float *world_background_colour(void);
// The fixed path's floor under a background colour.
void world_floor_colour(const float *background, float rgb[3]);
