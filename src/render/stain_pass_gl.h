// The floor stains on the shader path: the splats painted since the last
// frame drawn into the floor target, the stained cells drawn on the floor
// from it, and the clearing of every stain.
#pragma once

// With the shaders option on: no stained cell, no waiting splat, and the
// floor target cleared to transparent black.
void clear_floor_patches(void);
