// The orbiting camera (Shift+2) headless: keys through the real key path,
// each loop pass moving the camera by the keys held and then updating it
// for the frame, as the window does.
#include <gtest/gtest.h>

#include <cmath>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "gui/services/menu_state.h"
#include "program_dir.h"

namespace {

struct OrbitCamera : kxtest::ProgramFolder {
    OrbitCamera()
    {
        key_bindings_reset();
        menu_set_state(0);
        reset_game();
        on_key(KEY_2, 0, MOD_LSHIFT, 1);
        on_key(KEY_2, 0, MOD_LSHIFT, 0);
    }
};

struct Vec {
    float x, y, z;
};
Vec eye() { return {get_camera()->eye[0], get_camera()->eye[1], get_camera()->eye[2]}; }
Vec look() { return {get_camera()->look[0], get_camera()->look[1], get_camera()->look[2]}; }
float dist(Vec a, Vec b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

// One pass of the loop at 60 frames a second.
void pass()
{
    move_camera_keys(camera_keys_held(), 16);
    camera_update(get_game_state(), 0.97f);
}

// Holds the key (with Shift when asked) for n passes and lets it go.
void hold(int sym, int mods, int n)
{
    on_key(sym, 0, mods, 1);
    for (int i = 0; i < n; i++)
        pass();
    on_key(sym, 0, mods, 0);
}

} // namespace

// With no key held the camera stays where Shift+2 put it: the eye keeps its
// distance from the look-at point and neither moves.
TEST(OrbitCamera, StaysPutWithNoKeyHeld)
{
    OrbitCamera c;
    ASSERT_EQ(get_view_mode(), VIEW_ORBIT);
    pass();
    const Vec e0 = eye(), l0 = look();
    const float d0 = dist(e0, l0);
    EXPECT_NEAR(d0, get_camera()->distance, 1e-4);
    for (int i = 0; i < 1000; i++) {
        pass();
        ASSERT_NEAR(dist(eye(), look()), d0, 1e-4) << "pass " << i;
    }
    EXPECT_LT(dist(eye(), e0), 1e-4);
    EXPECT_LT(dist(look(), l0), 1e-4);
    // Shift+2 again: the second orbiting mode, the same stillness.
    on_key(KEY_2, 0, MOD_LSHIFT, 1);
    on_key(KEY_2, 0, MOD_LSHIFT, 0);
    ASSERT_EQ(get_view_mode(), VIEW_ORBIT2);
    for (int i = 0; i < 1000; i++)
        pass();
    EXPECT_LT(dist(eye(), e0), 1e-4);
}

// Each key moves the camera as the orbit's rules say: W, A, S, D and Q, E
// move the look-at point (the eye following at the same distance), Shift+W
// and Shift+S tilt, Shift+A and Shift+D turn around the point, Shift+Q and
// Shift+E bring the eye closer and farther.
TEST(OrbitCamera, EachKeyMovesItsOwnWay)
{
    OrbitCamera c;
    CameraState *cam = get_camera();
    pass();
    const float d0 = cam->distance;

    // At 30 frames a second each pass moves twice as far.
    const float k = option_get(OPT_FRAMERATE) == 30 ? 2.0f : 1.0f;

    // W: the point goes forward along the view, 0.025 a step on the first
    // pass.
    Vec l0 = look();
    const float f[3] = {cam->forward[0], cam->forward[1], cam->forward[2]};
    hold(KEY_W, 0, 1);
    EXPECT_NEAR(look().x - l0.x, 0.025f * k * f[0], 1e-5);
    EXPECT_NEAR(look().y - l0.y, 0.025f * k * f[1], 1e-5);
    EXPECT_NEAR(look().z - l0.z, 0.025f * k * f[2], 1e-5);
    for (int i = 0; i < 200; i++)
        pass();     // the speed dies away
    EXPECT_NEAR(dist(eye(), look()), d0, 1e-4);

    // S walks back, D sideways to the right, E up.
    struct Move {
        int sym;
        const float *axis;
        float sign;
    } moves[] = {{KEY_S, cam->forward, -1}, {KEY_D, cam->right, 1}, {KEY_A, cam->right, -1}};
    for (const Move &m : moves) {
        const Vec before = look();
        const float a[3] = {m.axis[0], m.axis[1], m.axis[2]};
        hold(m.sym, 0, 10);
        for (int i = 0; i < 200; i++)
            pass();
        const Vec d = {look().x - before.x, look().y - before.y, look().z - before.z};
        const float along = d.x * a[0] + d.y * a[1] + d.z * a[2];
        EXPECT_GT(m.sign * along, 0.1f) << m.sym;
        EXPECT_NEAR(dist(eye(), look()), d0, 1e-4) << m.sym;
    }
    Vec before = look();
    hold(KEY_E, 0, 10);
    EXPECT_GT(look().z - before.z, 0.1f);
    before = look();
    hold(KEY_Q, 0, 10);
    EXPECT_LT(look().z - before.z, -0.1f);

    // Shift+A turns around the point: the point stays, the yaw goes down.
    for (int i = 0; i < 200; i++)
        pass();
    before = look();
    const float yaw = cam->yaw;
    hold(KEY_A, MOD_LSHIFT, 5);
    EXPECT_LT(dist(look(), before), 1e-4);
    EXPECT_NEAR(std::remainder(cam->yaw - yaw, 360.0f), -7.5f * k, 1e-3);   // 1.5 a step
    EXPECT_NEAR(dist(eye(), look()), d0, 1e-4);

    // Shift+W tilts up; the eye goes below the point's horizon.
    const float pitch = cam->pitch;
    hold(KEY_W, MOD_LSHIFT, 5);
    EXPECT_NEAR(cam->pitch - pitch, 7.5f * k, 1e-3);
    EXPECT_NEAR(dist(eye(), look()), d0, 1e-4);

    // Shift+Q and Shift+E: 0.1 closer and farther a pass, within 0.5..15.
    hold(KEY_Q, MOD_LSHIFT, 3);
    EXPECT_NEAR(cam->distance, d0 - 0.3f, 1e-4);
    EXPECT_NEAR(dist(eye(), look()), d0 - 0.3f, 1e-4);
    hold(KEY_E, MOD_LSHIFT, 300);
    EXPECT_FLOAT_EQ(cam->distance, 15.0f);
    EXPECT_NEAR(dist(eye(), look()), 15.0f, 1e-3);
}

namespace {

struct FreeCamera : kxtest::ProgramFolder {
    FreeCamera()
    {
        key_bindings_reset();
        menu_set_state(0);
        reset_game();
        on_key(KEY_2, 0, 0, 1);
        on_key(KEY_2, 0, 0, 0);
    }
};

} // namespace

// In the free camera E goes up and Q down, as in the orbiting camera, with
// or without Shift and whatever the tilt: the frame's up vector points to
// the sky, square to the view and to the right.
TEST(FreeCamera, EGoesUpAndQDownAtAnyTilt)
{
    FreeCamera c;
    CameraState *cam = get_camera();
    ASSERT_EQ(get_view_mode(), VIEW_FREE);
    for (const float pitch : {0.0f, 30.0f, -30.0f}) {
        cam->pitch = pitch;
        cam->eye[2] = 3.0f;
        pass();
        const float *f = cam->forward, *r = cam->right, *u = cam->up;
        EXPECT_GT(u[2], 0.5f) << pitch;
        EXPECT_NEAR(u[0] * f[0] + u[1] * f[1] + u[2] * f[2], 0.0f, 1e-5) << pitch;
        EXPECT_NEAR(u[0] * r[0] + u[1] * r[1] + u[2] * r[2], 0.0f, 1e-5) << pitch;
        for (const int mods : {0, (int)MOD_LSHIFT}) {
            Vec before = eye();
            const Vec look_before = look();
            hold(KEY_E, mods, 10);
            EXPECT_GT(eye().z - before.z, 0.1f) << pitch << " " << mods;
            EXPECT_GT(look().z - look_before.z, 0.1f) << pitch << " " << mods;
            for (int i = 0; i < 200; i++)
                pass();
            before = eye();
            hold(KEY_Q, mods, 10);
            EXPECT_LT(eye().z - before.z, -0.1f) << pitch << " " << mods;
            for (int i = 0; i < 200; i++)
                pass();
        }
    }
}
