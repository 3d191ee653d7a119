// Camera keyframes: recorded during play (or read from a replay's CAM
// lines), sorted and interpolated into a per-frame path that the camera
// follows while the keyframes play.
#include "app/camera.h"

#include <cstdio>
#include <cstring>

#include "game/camera_keys.h"

static CameraState &cam(void) { return *get_camera(); }

void save_camera_keyframe(int frame, const float *look, const float *eye)
{
    if (frame < 0 || frame > CAMERA_PATH_FRAMES) {
        fprintf(stderr, "invalid keyframe %i\n", frame);
        return;
    }
    for (CameraKeyframe &k : cam().keys) {
        if (k.used && k.frame != frame)
            continue;
        if (!k.used)
            cam().key_count++;
        k.used = 1;
        k.frame = frame;
        std::memcpy(k.look, look, sizeof k.look);
        std::memcpy(k.eye, eye, sizeof k.eye);
        return;
    }
}

int get_camera_keyframe(int frame, float *eye, float *look)
{
    if (frame < 0 || frame >= CAMERA_PATH_FRAMES || !cam().path[frame].valid)
        return 1;
    std::memcpy(eye, cam().path[frame].eye, sizeof cam().path[frame].eye);
    std::memcpy(look, cam().path[frame].look, sizeof cam().path[frame].look);
    return 0;
}

void clear_camera_keyframes(void)
{
    std::memset(cam().keys, 0, sizeof cam().keys);
    std::memset(cam().path, 0, sizeof cam().path);
    cam().key_count = 0;
}

static float interp_cubic(float p0, float p1, float p2, float p3, float t)
{
    const float a0 = p3 - p2 - p0 + p1, a1 = p0 - p1 - a0, a2 = p2 - p0;
    return a0 * t * t * t + a1 * t * t + a2 * t + p1;
}

void build_camera_path(void)
{
    CameraKeyframe sorted[CAMERA_KEYFRAMES];
    int n = 0;
    for (const CameraKeyframe &k : cam().keys)
        if (k.used)
            sorted[n++] = k;
    for (int i = 0; i < n; i++) {
        int best = i;
        for (int j = i + 1; j < n; j++)
            if (sorted[j].frame < sorted[best].frame)
                best = j;
        const CameraKeyframe t = sorted[i];
        sorted[i] = sorted[best];
        sorted[best] = t;
    }
    std::memset(cam().path, 0, sizeof cam().path);
    for (int k = 0; k < n; k++) {
        const CameraKeyframe &a = sorted[k > 0 ? k - 1 : 0], &b = sorted[k];
        const CameraKeyframe &c = sorted[k + 1 < n ? k + 1 : n - 1], &d = sorted[k + 2 < n ? k + 2 : n - 1];
        const int last = k + 1 < n ? c.frame : b.frame + 1;
        for (int f = b.frame; f < last && f < CAMERA_PATH_FRAMES; f++) {
            const float t = last > b.frame && k + 1 < n ? (float)(f - b.frame) / (float)(c.frame - b.frame) : 0.0f;
            CameraPathEntry &e = cam().path[f];
            for (int i = 0; i < 3; i++) {
                e.eye[i] = interp_cubic(a.eye[i], b.eye[i], c.eye[i], d.eye[i], t);
                e.look[i] = interp_cubic(a.look[i], b.look[i], c.look[i], d.look[i], t);
            }
            e.valid = 1;
        }
    }
}

const char *camera_mode_text(void)
{
    switch (cam().keyframe_state) {
    case KEYFRAMES_ARMED: return "recording will start next rewind";
    case KEYFRAMES_RECORDING: return "recording camera movements";
    case KEYFRAMES_PLAYING: return "playing camera movements";
    default: return "free-cam disabled";
    }
}

const char *camera_on_rewind(void)
{
    switch (cam().keyframe_state) {
    case KEYFRAMES_ARMED:
        cam().keyframe_state = KEYFRAMES_RECORDING;
        break;
    case KEYFRAMES_RECORDING:
    case KEYFRAMES_PLAYING:
        build_camera_path();
        cam().keyframe_state = KEYFRAMES_PLAYING;
        break;
    default:
        return nullptr;
    }
    return camera_mode_text();
}

void camera_take_replay_keys(void)
{
    if (camera_key_count() <= 0)
        return;
    clear_camera_keyframes();
    for (int i = 0; i < camera_key_count(); i++) {
        const CameraKey *k = camera_key(i);
        save_camera_keyframe(k->frame, k->look, k->pos);
    }
    build_camera_path();
    cam().keyframe_state = KEYFRAMES_PLAYING;
}
