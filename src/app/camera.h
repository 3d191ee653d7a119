// The camera: one global state from which the scene set-up builds its
// look-at matrix (eye, look-at point, up +z). View modes, the per-frame
// update that follows the fighters, movement by keys and by mouse drag per
// mode, the framing at the start of a game, and the keyframes recorded in
// play and replayed as a smooth path.
#pragma once
#include <cstdint>

struct WorldState;

enum {
    CAMERA_KEYFRAMES = 256,
    CAMERA_PATH_FRAMES = 2048,
    VIEW_DEFAULT = 0, VIEW_FIGHTER0 = 1, VIEW_FIGHTER1 = 2, VIEW_FREE = 3,
    VIEW_ORBIT = 4, VIEW_ORBIT2 = 5, VIEW_SHOP = 6,
    KEYFRAMES_OFF = 0, KEYFRAMES_ARMED = 1, KEYFRAMES_RECORDING = 2, KEYFRAMES_PLAYING = 3,
};

// Camera key bits: W 1, S 2, A 4, D 8, Q 16, E 32; with Shift 64 .. 2048.
enum {
    CAMKEY_W = 1, CAMKEY_S = 2, CAMKEY_A = 4, CAMKEY_D = 8, CAMKEY_Q = 16, CAMKEY_E = 32,
    CAMKEY_SHIFT_SHIFT = 6,
    CAMKEY_PLAIN = 63,
};

struct CameraKeyframe {
    int32_t used;
    int32_t frame;
    float look[3];
    float eye[3];
};

struct CameraPathEntry {
    int32_t valid;
    float eye[3];
    float look[3];
};

struct CameraState {
    float eye[3];
    float look[3];
    float yaw, pitch;
    float distance, height, height_offset;
    float forward[3], right[3], up[3];
    float yaw_speed, zoom_speed_keys, height_speed;
    float move_fwd, move_side, move_up, pitch_speed;
    double last_target[3];
    int32_t have_target;
    float zoom_speed, zoom_distance;
    int32_t zoom_started;
    int32_t refit;
    int32_t view_mode;
    int32_t keyframe_state;
    CameraKeyframe keys[CAMERA_KEYFRAMES];
    int32_t key_count;
    CameraPathEntry path[CAMERA_PATH_FRAMES];
    float fov;
    float shop_scale;
};

CameraState *get_camera(void);
void camera_defaults(void);
float *get_camera_pos(void);
float *get_camera_lookat(void);
int get_view_mode(void);
void set_view_mode(int mode);
int get_camera_keyframe_count(void);

void set_camera_lookat_d(double x, double y, double z);
void camera_set_lookat(const float *p);
void camera_set_pos(const float *p);
void set_camera_distance(float d);
void set_camera_orbit(float yaw, float height_offset, float distance);
void aim_camera_at(const float *p);
void move_camera_to(const float *p);
void camera_face_lookat(void);

// Projects a world point to window pixels (y down); 0 on success. Set by
// the window; without it the smart zoom keeps its distance.
typedef int (*CameraProjector)(float x, float y, float z, double out[3]);
void camera_set_projector(CameraProjector p);

void camera_update(WorldState *w, float smoothing);
// Frames the fighters at the start of a match and after a replay change.
// yaw is the heading for the fighters as they stand at rotation 0; the
// world's pair turn is added to it.
void camera_fit(WorldState *w, float yaw, float distance);
void camera_fit_default(WorldState *w, float yaw);
// At the start of a match: the default framing from the heading, unless
// the view is fixed (another view mode, or keyframes playing).
void camera_fit_match(int yaw);
// Fighter i's body j on screen (window pixels, y down), and 0.5 above it
// for its label; 0, or 1 when it is not there or nothing projects yet.
int body_screen_pos(int i, int j, double out[3]);
int body_label_screen_pos(int i, int j, double out[3]);

// Key movers take the held camera key bits and the frame time in ms; drag
// movers take speed 1 (2 with Shift) and the relative mouse motion.
void move_camera_keys(int keys, int frame_ms);
void move_camera_keys_default(int keys, float dt);
void move_free_camera(int keys, float k);
void move_orbit_camera(int keys, float k);
void move_shop_camera(int keys, float k);
void drag_camera(int speed, int dx, int dy);
void drag_camera_default(int speed, int dx, int dy);
void rotate_camera(int dx, int dy);
void drag_orbit_camera(int speed, int dx, int dy);
void drag_shop_camera(int speed, int dx, int dy);
void start_shop_camera(float fov_angle);

// Keyframes. save: a frame outside 0..2048 is refused with "invalid
// keyframe %i\n". get: 0 and the path entry, 1 when the frame has none.
void save_camera_keyframe(int frame, const float *look, const float *eye);
int get_camera_keyframe(int frame, float *eye, float *look);
void clear_camera_keyframes(void);
void build_camera_path(void);
const char *camera_mode_text(void);
// A match shown again from its start: armed keyframes start recording,
// recorded ones become the camera path that plays; returns the mode text
// to show, or null when keyframes are off.
const char *camera_on_rewind(void);
// Takes the keyframes a replay file carried (its CAM lines) and, when there
// are any, plays them as the camera path.
void camera_take_replay_keys(void);
