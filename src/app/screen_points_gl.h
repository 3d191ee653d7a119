// Projects the HUD's screen points (render/screen_points.h) through the
// camera of the frame being drawn.
#pragma once
#include "game/game_state.h"

// The first two fighters' label points (0.5 above the head); with the
// altimeter on, the point of this frame's highest body.
void refresh_screen_points(const WorldState *w);
