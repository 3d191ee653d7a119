// The least drawing a frame needs until the full renderer takes over:
// clearing, the camera's projection and look-at, the floor and the
// fighters as plain shapes (joints coloured by their state), and the
// matrices that projecting and unprojecting the cursor read.
#pragma once
#include "app/main_loop.h"

// Clears, places the camera, runs the tick (twice at framerate 30, the
// second time with the 3D drawing suppressed).
void setup_scene(int width, int height, MainLoopCallbacks *cb, int arg);
// 1 only during the second tick of a frame at framerate 30.
int is_extra_tick(void);
// The frame's 3D scene and the 2D pass (the draw3d and draw2d hooks).
void draw_frame(int arg);
// Enter and leave 2D drawing in window pixels, origin top left.
void push_ortho(void);
void pop_ortho(void);
// World point to window pixels (y down) with the matrices of the last 3D
// pass; 0 on success.
int world_to_screen(float x, float y, float z, double out[3]);
// The cursor ray: window (x, y) unprojected at depth 0 and 1.
void unproject_cursor(float x, float y, double near_pt[3], double far_pt[3]);
void gl_init_state(void);
// Light 0 as a directional light from beside the camera eye, with the
// camera's view in the modelview matrix.
void place_scene_light(void);
