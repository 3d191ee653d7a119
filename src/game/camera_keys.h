// The camera keyframes a replay carries ("CAM" lines): the frame and the
// camera's position and look-at point. The camera that flies along them
// reads this list; a frame of 0 after the first key ends the list.
#pragma once
#include <cstdint>

enum { CAMERA_KEYS = 256 };

struct CameraKey {
    int32_t frame;
    float pos[3];
    float look[3];
};

void camera_keys_clear(void);
// Appends a key; 1 with a message when the list is full.
int camera_key_add(int frame, const float *pos, const float *look);
int camera_key_count(void);
const CameraKey *camera_key(int i);
