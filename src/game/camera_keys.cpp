#include "game/camera_keys.h"

#include <cstdio>

static CameraKey g_keys[CAMERA_KEYS];
static int g_count;

void camera_keys_clear(void) { g_count = 0; }

int camera_key_add(int frame, const float *pos, const float *look)
{
    if (g_count >= CAMERA_KEYS) {
        fprintf(stderr, "Camera keyframes full, key at frame %d dropped\n", frame);
        return 1;
    }
    CameraKey &k = g_keys[g_count++];
    k.frame = frame;
    for (int c = 0; c < 3; c++) {
        k.pos[c] = pos[c];
        k.look[c] = look[c];
    }
    return 0;
}

int camera_key_count(void) { return g_count; }
const CameraKey *camera_key(int i) { return i >= 0 && i < g_count ? &g_keys[i] : nullptr; }
