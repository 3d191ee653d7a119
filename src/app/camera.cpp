// The camera: view modes, the per-frame update that follows the fighters,
// the framing at the start of a match, and movement by keys and drag.
#include "app/camera.h"

#include <cmath>
#include <cstring>

#include "app/base/options.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "script/script_hooks.h"

static CameraState g_cam;
static CameraProjector g_projector;

static const float k_deg = 3.14159265358979f / 180.0f;

CameraState *get_camera(void) { return &g_cam; }
float *get_camera_pos(void) { return g_cam.eye; }
float *get_camera_lookat(void) { return g_cam.look; }
int get_view_mode(void) { return g_cam.view_mode; }
void set_view_mode(int mode) { g_cam.view_mode = mode; }
int get_camera_keyframe_count(void) { return g_cam.key_count; }
void camera_set_projector(CameraProjector p) { g_projector = p; }

static float clampf(float v, float lo, float hi) { return v < lo ? lo : v > hi ? hi : v; }
static float wrap360(float a)
{
    a = std::fmod(a, 360.0f);
    return a < 0 ? a + 360.0f : a;
}

// Eye placed around the look-at point at the current yaw and distance.
static void place_eye(void)
{
    g_cam.eye[0] = g_cam.look[0] + g_cam.distance * std::cos(g_cam.yaw * k_deg);
    g_cam.eye[1] = g_cam.look[1] + g_cam.distance * std::sin(g_cam.yaw * k_deg);
    g_cam.eye[2] = g_cam.height_offset + g_cam.height;
}

void camera_defaults(void)
{
    std::memset(&g_cam, 0, sizeof g_cam);
    g_cam.height = 2.0f;
    g_cam.height_offset = 0.0f;
    g_cam.distance = 4.0f;
    g_cam.yaw = 180.0f;
    g_cam.zoom_distance = 4.0f;
    g_cam.look[2] = 1.0f;
    g_cam.fov = 50.0f;
    place_eye();
}

void set_camera_lookat_d(double x, double y, double z)
{
    g_cam.look[0] = (float)x;
    g_cam.look[1] = (float)y;
    g_cam.look[2] = (float)z;
    place_eye();
}

void camera_set_lookat(const float *p) { set_camera_lookat_d(p[0], p[1], p[2]); }

void camera_set_pos(const float *p)
{
    std::memcpy(g_cam.eye, p, sizeof g_cam.eye);
    g_cam.height = p[2];
}

void set_camera_distance(float d)
{
    g_cam.distance = d;
    place_eye();
}

void set_camera_orbit(float yaw, float height_offset, float distance)
{
    g_cam.yaw = yaw;
    g_cam.height_offset = height_offset;
    g_cam.distance = distance;
    place_eye();
}

static void angles_from(const float *eye, const float *look)
{
    const float dx = look[0] - eye[0], dy = look[1] - eye[1], dz = look[2] - eye[2];
    const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    g_cam.yaw = dy != 0.0f ? std::atan(dx / dy) / k_deg : (dx >= 0 ? 90.0f : -90.0f);
    if (dy < 0)
        g_cam.yaw += 180.0f;
    g_cam.yaw = wrap360(g_cam.yaw);
    g_cam.pitch = len > 0 ? clampf(std::asin(dz / len) / k_deg, -80, 80) : 0.0f;
}

void aim_camera_at(const float *p)
{
    std::memcpy(g_cam.look, p, sizeof g_cam.look);
    angles_from(g_cam.eye, g_cam.look);
}

void move_camera_to(const float *p)
{
    std::memcpy(g_cam.eye, p, sizeof g_cam.eye);
    angles_from(g_cam.eye, g_cam.look);
}

void camera_face_lookat(void)
{
    g_cam.yaw = wrap360(std::atan2(g_cam.eye[1] - g_cam.look[1], g_cam.eye[0] - g_cam.look[0]) / k_deg);
    g_cam.height = 1.69f;
    g_cam.height_offset = 0.0f;
    place_eye();
}

// The view direction from yaw and pitch, and the frame around it; the
// eye and the look-at point stay where they are.
static void view_frame(void)
{
    const float cp = std::cos(g_cam.pitch * k_deg);
    float *f = g_cam.forward;
    f[0] = std::sin(g_cam.yaw * k_deg) * cp;
    f[1] = std::cos(g_cam.yaw * k_deg) * cp;
    f[2] = std::sin(g_cam.pitch * k_deg);
    // right = forward x (0,0,1); up = right x forward, which points to the
    // sky (forward x right would point to the floor at a level view).
    g_cam.right[0] = f[1];
    g_cam.right[1] = -f[0];
    g_cam.right[2] = 0.0f;
    const float rl = std::sqrt(f[0] * f[0] + f[1] * f[1]);
    if (rl > 0) {
        g_cam.right[0] /= rl;
        g_cam.right[1] /= rl;
    }
    const float *r = g_cam.right;
    g_cam.up[0] = r[1] * f[2] - r[2] * f[1];
    g_cam.up[1] = r[2] * f[0] - r[0] * f[2];
    g_cam.up[2] = r[0] * f[1] - r[1] * f[0];
}

// The free camera looks from its eye along the view direction: the look-at
// point is one unit ahead, the eye no lower than 0.3.
static void free_camera_vectors(void)
{
    view_frame();
    if (g_cam.eye[2] < 0.3f)
        g_cam.eye[2] = 0.3f;
    for (int i = 0; i < 3; i++)
        g_cam.look[i] = g_cam.eye[i] + g_cam.forward[i];
}

static void orbit_place(void)
{
    const float cp = std::cos(g_cam.pitch * k_deg);
    g_cam.eye[0] = g_cam.look[0] - g_cam.distance * std::sin(g_cam.yaw * k_deg) * cp;
    g_cam.eye[1] = g_cam.look[1] - g_cam.distance * std::cos(g_cam.yaw * k_deg) * cp;
    g_cam.eye[2] = g_cam.look[2] - g_cam.distance * std::sin(g_cam.pitch * k_deg);
}

static void shop_place(void)
{
    const float a = (g_cam.yaw + 90.0f) * k_deg;
    g_cam.eye[0] = g_cam.look[0] + g_cam.distance * std::cos(a);
    g_cam.eye[1] = g_cam.look[1] + g_cam.distance * std::sin(a);
    g_cam.eye[2] = g_cam.look[2] + g_cam.height_offset;
}

static int body_pos(int fighter, int body, double out[3])
{
    Player *p = get_player(fighter);
    if (!p || !p->bodies[body])
        return 1;
    const dReal *pos = dBodyGetPosition(p->bodies[body]);
    out[0] = pos[0];
    out[1] = pos[1];
    out[2] = pos[2];
    return 0;
}

// Mean of one body over every fighter; 1 when no fighter has it.
static int mean_body(int body, double out[3])
{
    int n = 0;
    out[0] = out[1] = out[2] = 0;
    for (int i = 0; i < fighter_count(); i++) {
        double p[3];
        if (body_pos(i, body, p) == 0) {
            for (int k = 0; k < 3; k++)
                out[k] += p[k];
            n++;
        }
    }
    if (!n)
        return 1;
    for (int k = 0; k < 3; k++)
        out[k] /= n;
    return 0;
}

// The automatic zoom: the distance follows the fighters' spread on screen.
static void smart_zoom(void)
{
    const float width = (float)option_get(OPT_WIDTH), height = (float)option_get(OPT_HEIGHT);
    if (g_projector && width > 0 && height > 0) {
        float sx = 0, sy = 0;
        for (int i = 0; i < fighter_count(); i++) {
            for (int b = 0; b < BODY_COUNT; b++) {
                double p[3], s[3];
                if (body_pos(i, b, p) != 0 || g_projector((float)p[0], (float)p[1], (float)p[2], s) != 0)
                    continue;
                sx = std::fmax(sx, std::fabs((float)s[0] - width / 2));
                sy = std::fmax(sy, std::fabs((float)s[1] - height / 2));
            }
        }
        float &v = g_cam.zoom_speed;
        if (sx > 0.28f * width) {
            if (v < 0)
                v += 0.005f;
            v += 0.003f;
            if (sx > 0.38f * width)
                v += 0.003f;
            if (sx > 0.45f * width)
                v += 0.003f;
        } else if (sy > 0.17f * height) {
            if (v < 0)
                v += 0.005f;
            v += 0.002f;
            if (sy > 0.25f * height)
                v += 0.003f;
            if (sy > 0.35f * height)
                v += 0.003f;
        } else if (sx < 0.18f * width && sy < 0.11f * height) {
            v = v > 0 ? v * 0.6f : v - 0.005f;
        } else {
            v *= 0.6f;
        }
        if (v < -0.1f)
            v = -0.1f;
    }
    if (g_cam.refit) {
        const int ed = std::abs(get_match_rules()->engagedistance);
        g_cam.zoom_distance = ed > 100 ? 6.5f + ed / 100.0f : 5.0f;
        g_cam.zoom_speed = 0;
        g_cam.refit = 0;
    }
    g_cam.zoom_distance = std::fmax(0.1f, g_cam.zoom_distance + g_cam.zoom_speed);
    set_camera_distance(g_cam.zoom_distance);
}

static void update_default(float s)
{
    const GameGlobals *g = get_game_globals();
    const int sel = g->selected_player;
    const int spectator = g->network_mode == 1 && g->own_slot == -1;
    double target[3];
    int have = 1;
    if (sel >= 0 && sel < fighter_count() && !spectator) {
        double a[3], b[3];
        const int near = g->network_mode == 0 && body_pos(0, CHEST, a) == 0 && body_pos(1, CHEST, b) == 0 &&
                         std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                                   (a[2] - b[2]) * (a[2] - b[2])) <= 7.0;
        have = near ? mean_body(CHEST, target) == 0 : body_pos(sel, CHEST, target) == 0;
    } else {
        have = mean_body(STOMACH, target) == 0;
    }
    if (!have)
        return;
    if (g_cam.have_target) {
        for (int k = 0; k < 3; k++)
            target[k] -= s * (target[k] - g_cam.last_target[k]);
    }
    std::memcpy(g_cam.last_target, target, sizeof target);
    g_cam.have_target = 1;
    if (!g_cam.zoom_started) {
        g_cam.zoom_distance = g_cam.distance;
        g_cam.zoom_started = 1;
    }
    if (option_get(OPT_SMARTCAM) && g->replay_mode != 0)
        smart_zoom();
    g_cam.height = (float)std::fmax(target[2], 1.1);
    set_camera_lookat_d(target[0], target[1], target[2]);
}

void camera_update(WorldState *w, float s)
{
    if (!option_get(OPT_SMOOTHCAM))
        s = 0.0f;
    if (fire_hook_camera())
        return;
    if (g_cam.keyframe_state == KEYFRAMES_PLAYING) {
        get_camera_keyframe(w ? w->frame : 0, g_cam.eye, g_cam.look);
        return;
    }
    double a[3], b[3];
    switch (g_cam.view_mode) {
    case VIEW_DEFAULT:
        update_default(s);
        break;
    case VIEW_FIGHTER0:
    case VIEW_FIGHTER1: {
        const int me = g_cam.view_mode - 1;
        if (body_pos(me, HEAD, a) == 0 && body_pos(1 - me, HEAD, b) == 0) {
            for (int k = 0; k < 3; k++) {
                g_cam.eye[k] = (float)a[k];
                g_cam.look[k] = (float)b[k];
            }
        }
        break;
    }
    case VIEW_FREE:
        free_camera_vectors();
        break;
    case VIEW_ORBIT:
    case VIEW_ORBIT2:
        orbit_place();
        break;
    case VIEW_SHOP:
        shop_place();
        break;
    default:
        break;
    }
}

void camera_fit(WorldState *w, float yaw, float d)
{
    // The yaw frames the fighters as they stand at rotation 0; a start that
    // turned the pair about its midpoint turns the camera with it, so that
    // it never looks along the line between them.
    if (w && w->pair_turn != 0.0)
        yaw += (float)w->pair_turn;
    g_cam.refit = 1;
    const int ed = get_match_rules()->engagedistance;
    if (ed >= 401 && ed <= 690)
        d = ed * 0.014f;
    set_camera_orbit(yaw, 1.0f, d);
    camera_update(w, 0.0f);
}

void camera_fit_default(WorldState *w, float yaw) { camera_fit(w, yaw, 4.5f); }

void camera_fit_match(int yaw)
{
    if (g_cam.view_mode != VIEW_DEFAULT || g_cam.keyframe_state == KEYFRAMES_PLAYING)
        return;
    camera_fit_default(get_game_state(), (float)yaw);
}

static int project_body(int i, int j, double lift, double out[3])
{
    double p[3];
    if (j < 0 || j >= BODY_COUNT || !g_projector || body_pos(i, j, p) != 0)
        return 1;
    return g_projector((float)p[0], (float)p[1], (float)(p[2] + lift), out);
}

int body_screen_pos(int i, int j, double out[3]) { return project_body(i, j, 0.0, out); }
int body_label_screen_pos(int i, int j, double out[3]) { return project_body(i, j, 0.5, out); }

// Speed of a pair of keys: +1 for plus alone, -1 for minus alone, else 0.
static float pair(int keys, int minus, int plus)
{
    return (float)(((keys & plus) != 0) - ((keys & minus) != 0));
}

static int shifted(int bit) { return bit << CAMKEY_SHIFT_SHIFT; }

void move_camera_keys_default(int keys, float dt)
{
    if (keys & (CAMKEY_W | CAMKEY_S | shifted(CAMKEY_W) | shifted(CAMKEY_S)))
        option_set(OPT_SMARTCAM, 0);
    if (keys & (CAMKEY_W | CAMKEY_S))
        g_cam.zoom_speed_keys = pair(keys, CAMKEY_W, CAMKEY_S);
    if (keys & (shifted(CAMKEY_W) | shifted(CAMKEY_S)))
        g_cam.height_speed = pair(keys, shifted(CAMKEY_S), shifted(CAMKEY_W));
    if (keys & (CAMKEY_A | CAMKEY_D))
        g_cam.yaw_speed = 2.0f * pair(keys, CAMKEY_A, CAMKEY_D);
    if (keys & (shifted(CAMKEY_A) | shifted(CAMKEY_D)))
        g_cam.yaw_speed = pair(keys, shifted(CAMKEY_A), shifted(CAMKEY_D));
    g_cam.yaw += g_cam.yaw_speed * dt * 1.5f;
    g_cam.distance += g_cam.zoom_speed_keys * dt * 0.2f;
    g_cam.height_offset += g_cam.height_speed * dt * 0.1f;
    g_cam.yaw_speed *= std::pow(0.8f, dt);
    g_cam.zoom_speed_keys *= std::pow(0.7f, dt);
    g_cam.height_speed *= std::pow(0.7f, dt);
    g_cam.yaw = wrap360(g_cam.yaw);
    g_cam.height_offset = clampf(g_cam.height_offset, -1.0f, 2.5f);
    g_cam.distance = std::fmax(g_cam.distance, 0.3f);
    place_eye();
}

// The free and orbital cameras' key speeds.
static void free_key_speeds(int keys, float k, int orbit)
{
    if (keys & (CAMKEY_W | CAMKEY_S))
        g_cam.move_fwd = pair(keys, CAMKEY_S, CAMKEY_W);
    if (keys & (CAMKEY_A | CAMKEY_D))
        g_cam.move_side = pair(keys, CAMKEY_A, CAMKEY_D);
    if (keys & (CAMKEY_Q | CAMKEY_E))
        g_cam.move_up = pair(keys, CAMKEY_Q, CAMKEY_E);
    if (keys & (shifted(CAMKEY_Q) | shifted(CAMKEY_E))) {
        if (orbit)
            g_cam.distance = clampf(g_cam.distance + 0.1f * pair(keys, shifted(CAMKEY_Q), shifted(CAMKEY_E)), 0.5f, 15.0f);
        else
            g_cam.move_up = pair(keys, shifted(CAMKEY_Q), shifted(CAMKEY_E));
    }
    if (keys & (shifted(CAMKEY_W) | shifted(CAMKEY_S)))
        g_cam.pitch_speed = pair(keys, shifted(CAMKEY_S), shifted(CAMKEY_W));
    if (keys & (shifted(CAMKEY_A) | shifted(CAMKEY_D)))
        g_cam.yaw_speed = pair(keys, shifted(CAMKEY_A), shifted(CAMKEY_D));
    g_cam.yaw = wrap360(g_cam.yaw + g_cam.yaw_speed * k * 1.5f);
    g_cam.pitch = clampf(g_cam.pitch + g_cam.pitch_speed * k * 1.5f, -80.0f, 80.0f);
}

static void free_key_decay(float k)
{
    g_cam.move_fwd *= std::pow(0.8f, k);
    g_cam.move_side *= std::pow(0.8f, k);
    g_cam.move_up *= std::pow(0.8f, k);
    g_cam.yaw_speed *= std::pow(0.7f, k);
    g_cam.pitch_speed *= std::pow(0.6f, k);
}

void move_free_camera(int keys, float k)
{
    free_key_speeds(keys, k, 0);
    free_camera_vectors();
    for (int i = 0; i < 3; i++) {
        const float d = 0.1f * k * (g_cam.move_fwd * g_cam.forward[i] + g_cam.move_side * g_cam.right[i] +
                                    g_cam.move_up * g_cam.up[i]);
        g_cam.eye[i] += d;
        g_cam.look[i] += d;
    }
    free_key_decay(k);
}

void move_orbit_camera(int keys, float k)
{
    // The orbiting camera turns around its look-at point: the frame comes
    // from yaw and pitch alone, the point moves by the keys and the eye is
    // placed around it at the distance.
    free_key_speeds(keys, k, 1);
    view_frame();
    for (int i = 0; i < 3; i++)
        g_cam.look[i] += 0.025f * k * (g_cam.move_fwd * g_cam.forward[i] + g_cam.move_side * g_cam.right[i] +
                                       g_cam.move_up * (i == 2));
    orbit_place();
    free_key_decay(k);
}

void move_shop_camera(int keys, float k)
{
    if (keys & (CAMKEY_A | CAMKEY_D))
        g_cam.yaw_speed = 2.0f * pair(keys, CAMKEY_A, CAMKEY_D);
    if (keys & (CAMKEY_W | CAMKEY_S))
        g_cam.zoom_speed_keys = 0.5f * pair(keys, CAMKEY_W, CAMKEY_S);
    if (keys & (shifted(CAMKEY_W) | shifted(CAMKEY_S)))
        g_cam.height_speed = 0.5f * pair(keys, shifted(CAMKEY_S), shifted(CAMKEY_W));
    g_cam.yaw = wrap360(g_cam.yaw + g_cam.yaw_speed * k * 1.5f);
    g_cam.distance = clampf(g_cam.distance + g_cam.zoom_speed_keys * k * 0.2f, 2.0f, 15.0f);
    g_cam.height_offset = clampf(g_cam.height_offset + g_cam.height_speed * k * 0.1f, -2.0f, 5.0f);
    g_cam.yaw_speed *= std::pow(0.7f, k);
    g_cam.zoom_speed_keys *= std::pow(0.7f, k);
    g_cam.height_speed *= std::pow(0.7f, k);
    shop_place();
}

void move_camera_keys(int keys, int frame_ms)
{
    const float k = option_get(OPT_FRAMERATE) == 30 ? 2.0f : 1.0f;
    switch (g_cam.view_mode) {
    case VIEW_DEFAULT: move_camera_keys_default(keys, frame_ms / 16.0f); break;
    case VIEW_FREE: move_free_camera(keys, k); break;
    case VIEW_ORBIT:
    case VIEW_ORBIT2: move_orbit_camera(keys, k); break;
    case VIEW_SHOP: move_shop_camera(keys, k); break;
    default: break;
    }
}

void drag_camera_default(int speed, int dx, int dy)
{
    g_cam.yaw = wrap360(g_cam.yaw + dx * 0.2f);
    if (speed == 1)
        g_cam.distance = std::fmax(0.3f, g_cam.distance + dy * 0.01f);
    else
        g_cam.height_offset = clampf(g_cam.height_offset - dy * 0.01f, -1.0f, 2.5f);
    option_set(OPT_SMARTCAM, 0);
    place_eye();
}

void rotate_camera(int dx, int dy)
{
    g_cam.yaw = wrap360(g_cam.yaw + dx * 0.2f);
    g_cam.pitch = clampf(g_cam.pitch - dy * 0.2f, -80.0f, 80.0f);
}

void drag_orbit_camera(int speed, int dx, int dy)
{
    g_cam.yaw = wrap360(g_cam.yaw + dx * 0.2f);
    if (speed == 1)
        g_cam.distance = clampf(g_cam.distance + dy * 0.01f, 0.5f, 15.0f);
    else
        g_cam.pitch = clampf(g_cam.pitch - dy * 0.2f, -80.0f, 80.0f);
    orbit_place();
}

void drag_shop_camera(int speed, int dx, int dy)
{
    g_cam.yaw = wrap360(g_cam.yaw + dx * 0.2f);
    if (speed == 1)
        g_cam.distance = clampf(g_cam.distance + dy * 0.01f, 2.0f, 15.0f);
    else
        g_cam.height_offset = clampf(g_cam.height_offset - dy * 0.005f, -2.0f, 5.0f);
    shop_place();
}

void drag_camera(int speed, int dx, int dy)
{
    switch (g_cam.view_mode) {
    case VIEW_DEFAULT: drag_camera_default(speed, dx, dy); break;
    case VIEW_FREE: rotate_camera(dx, dy); break;
    case VIEW_ORBIT:
    case VIEW_ORBIT2: drag_orbit_camera(speed, dx, dy); break;
    case VIEW_SHOP: drag_shop_camera(speed, dx, dy); break;
    default: break;
    }
}

void start_shop_camera(float angle)
{
    double chest[3];
    if (body_pos(0, CHEST, chest) == 0)
        set_camera_lookat_d(chest[0], chest[1], chest[2]);
    g_cam.height_offset = 0.0f;
    g_cam.yaw = 150.0f;
    g_cam.distance = 5.0f;
    g_cam.shop_scale = std::tan(angle * k_deg);
    g_cam.view_mode = VIEW_SHOP;
    shop_place();
}
