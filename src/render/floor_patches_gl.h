// The GL half of the floor stains: blood that lands paints a stain while
// the shader path is active, and squares of the floor target handed to a
// new cell are cleared before the splat pass draws into them.
#pragma once

// The game's blood-stain callback while the window is open: with the
// `bloodstains` option on and the shader path active, a stain at the drop
// (add_floor_patch); otherwise nothing.
void add_blood_stain_gl(const float *pos, const float *vel, float size, const float *rgb);
// With the floor target bound: clears to transparent black every square in
// floor_squares_to_clear() and empties that list. Leaves the scissor test
// off.
void clear_reused_floor_squares(void);
