// The window points the HUD writes beside: each of the first two fighters'
// label point (0.5 above its head) and the point of this frame's highest
// body for the altimeter. The frame drawing refreshes them every 3D frame.
#pragma once

enum { SCREEN_LABEL_FIGHTERS = 2 };

struct ScreenPoint {
    float x, y;    // window pixels, y down
    int valid;     // 0: not projected this frame (off screen, no such fighter)
};

// Fighter 0 or 1; null for any other.
const ScreenPoint *label_point(int fighter);
void set_label_point(int fighter, float x, float y, int valid);
const ScreenPoint *altimeter_point(void);
void set_altimeter_point(float x, float y, int valid);
