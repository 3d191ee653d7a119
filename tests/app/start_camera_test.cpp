// The camera the program fits at the start of a match and of a replay, at
// engage rotations that turn the pair of fighters about their midpoint:
// the fighters' heads and chests projected through the fitted view as the
// window's projection does (field of view, the options' aspect).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/base/file_list.h"
#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/tick.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/protocol/replay_file.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/menu_state.h"
#include "program_dir.h"

namespace {

struct StartCamera : kxtest::ProgramFolder {
    StartCamera()
    {
        key_bindings_reset();
        menu_set_state(0);
    }
    ~StartCamera() { get_game_globals()->own_slot = -1; }
};

// A point in normalised screen coordinates (-1..1 across the window), and
// whether it lies inside the picture in front of the eye.
struct ScreenPoint {
    double x, y;
    bool inside;
};

ScreenPoint project(const dReal *p)
{
    const CameraState *c = get_camera();
    double f[3], d[3];
    for (int k = 0; k < 3; k++) {
        f[k] = c->look[k] - c->eye[k];
        d[k] = p[k] - c->eye[k];
    }
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double &v : f)
        v /= fl;
    // side = forward x up, up' = side x forward (up is +z)
    double s[3] = {f[1], -f[0], 0.0};
    const double sl = std::hypot(s[0], s[1]);
    s[0] /= sl;
    s[1] /= sl;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const double depth = f[0] * d[0] + f[1] * d[1] + f[2] * d[2];
    const double t = std::tan(c->fov * M_PI / 360.0);
    const double aspect = (double)option_get(OPT_WIDTH) / option_get(OPT_HEIGHT);
    const double x = (s[0] * d[0] + s[1] * d[1]) / (depth * t * aspect);
    const double y = (u[0] * d[0] + u[1] * d[1] + u[2] * d[2]) / (depth * t);
    return {x, y, depth > 0.1 && std::fabs(x) < 1.0 && std::fabs(y) < 1.0};
}

// Heads, then chests, of fighters 0 and 1 on the screen.
std::vector<ScreenPoint> fighters_on_screen()
{
    std::vector<ScreenPoint> out;
    for (int body : {HEAD, CHEST})
        for (int i = 0; i < 2; i++)
            out.push_back(project(dBodyGetPosition(get_player(i)->bodies[body])));
    return out;
}

// Both fighters in the picture, each body apart across the screen from the
// other fighter's by a twentieth of the window's width or more (at rotation
// 0 they stand about a tenth apart), so neither hides the other.
void expect_both_seen(const std::vector<ScreenPoint> &s)
{
    for (size_t k = 0; k < s.size(); k++)
        EXPECT_TRUE(s[k].inside) << "point " << k << " at " << s[k].x << ", " << s[k].y;
    EXPECT_GT(std::fabs(s[0].x - s[1].x), 0.1) << "heads";
    EXPECT_GT(std::fabs(s[2].x - s[3].x), 0.1) << "chests";
}

void expect_same_picture(const std::vector<ScreenPoint> &a, const std::vector<ScreenPoint> &b)
{
    for (size_t k = 0; k < a.size(); k++) {
        EXPECT_NEAR(a[k].x, b[k].x, 1e-4) << "point " << k;
        EXPECT_NEAR(a[k].y, b[k].y, 1e-4) << "point " << k;
    }
}

void start_rotated(int rotation)
{
    get_next_match_rules()->engagerotation = rotation;
    reset_game();
}

} // namespace

// Every rotation is framed as the rotation of its whole half turns is (the
// pair's turn carries the camera along), from either player's side; starts
// that turn no pair keep the unturned camera exactly.
TEST(StartCamera, EveryRotationFramesTheFightersAsItsWholeHalfTurns)
{
    StartCamera c;
    for (int slot : {0, 1}) {
        const float yaw = slot == 1 ? -45.0f : 45.0f;
        get_game_globals()->own_slot = slot;
        std::vector<ScreenPoint> base[2];
        for (int half = 0; half < 2; half++) {
            SCOPED_TRACE("slot " + std::to_string(slot) + " rotation " + std::to_string(half * 180));
            start_rotated(half * 180);
            EXPECT_EQ(get_camera()->yaw, yaw);
            EXPECT_EQ(get_camera()->distance, 4.5f);
            EXPECT_EQ(get_camera()->height_offset, 1.0f);
            base[half] = fighters_on_screen();
            expect_both_seen(base[half]);
        }
        for (int rotation : {90, 135, 225, 315, 360, -180}) {
            SCOPED_TRACE("slot " + std::to_string(slot) + " rotation " + std::to_string(rotation));
            start_rotated(rotation);
            const int halves = (int)std::floor(rotation / 180.0);
            const std::vector<ScreenPoint> s = fighters_on_screen();
            expect_both_seen(s);
            expect_same_picture(s, base[halves & 1]);
            if (rotation % 180 == 0) {
                EXPECT_EQ(get_camera()->yaw, yaw);
            }
        }
    }
}

namespace {

void save_rotated_match(int rotation, const char *file)
{
    start_rotated(rotation);
    commit_turn(0);
    for (int i = 0; i < 40 && game_is_running(); i++)
        on_tick(0);
    ASSERT_EQ(write_replay((std::string("replay/") + file).c_str(), 0), 0);
}

} // namespace

// A replay of a rotated start, opened by browsing the replay folder, is
// framed as the replay of an unturned start.
TEST(StartCamera, ReplayOfARotatedStartIsFramedAsAnUnturnedOne)
{
    StartCamera c;
    save_rotated_match(0, "a.rpl");
    save_rotated_match(90, "b.rpl");
    scan_replay_dir();
    ASSERT_EQ(open_replay_index(0), 0);
    replay_next();
    ASSERT_EQ(replay_index(), 1);
    ASSERT_EQ(get_match_rules()->engagerotation, 90);
    const std::vector<ScreenPoint> turned = fighters_on_screen();
    replay_prev();
    ASSERT_EQ(get_match_rules()->engagerotation, 0);
    const std::vector<ScreenPoint> plain = fighters_on_screen();
    expect_both_seen(plain);
    expect_same_picture(turned, plain);
}
