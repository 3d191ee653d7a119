// HUD readouts drawn beside the scene: the altimeter and the fighters'
// emotes.
#pragma once

// With the altimeter on: the height of this frame's highest body, written
// beside it, and the highest of all frames under the scores.
void hud_draw_altimeter(int width);
// Each of the first two fighters' emote, until it expires, centred over
// its label point in the emote's colour.
void hud_draw_emotes(void);
