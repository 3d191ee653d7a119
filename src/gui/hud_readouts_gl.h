// HUD readouts drawn beside the scene: the altimeter.
#pragma once

// With the altimeter on: the height of this frame's highest body, written
// beside it, and the highest of all frames under the scores.
void hud_draw_altimeter(int width);
