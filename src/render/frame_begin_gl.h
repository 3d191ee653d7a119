// The start of every 3D frame of the shader path and the end that drains
// its queues.
#pragma once

// After the camera is placed: the camera's world position, the sky, the
// light uniforms of the programs, empty queues, and (with reflections on
// and no sky) the mirror's background on the floor. Nothing while the
// shader path is off.
void begin_frame(void);

// The colour every frame is cleared to: the world's background on the
// shader path (what the sky is without a dome, and what the floor's fog
// fades to), else the colour kept for the fixed path (set_clear_color).
const float *frame_clear_colour(void);

// After a renderer start-up: the sky textures when the shader path came up,
// and the world shader's way to remake them when the look changes.
void scene_renderer_start(void);
