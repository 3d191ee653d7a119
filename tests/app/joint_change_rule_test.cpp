// The player changes a joint by key (Z on the selected joint) or by mouse
// (a click on it), and a grip by key (L on the wrist) or by a click on the
// hand: in every mode of the match both ways refuse or allow the same. The
// clicks are real rays through the physics world at the fighter's geoms.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_mode.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "game/world_physics.h"
#include "gui/services/menu_state.h"
#include "support/test_support.h"
#include "program_dir.h"

namespace {

typedef kxtest::ProgramFolder ProgramDir;

struct Ray {
    double near_pt[3], far_pt[3];
};

// A fresh single-play match waiting for the first turn, fighter 0 selected
// with joint j.
void fresh_match(int j)
{
    key_bindings_reset();
    menu_set_state(0);
    reset_game();
    get_player(0)->out_of_play = 0;
    get_game_globals()->selected_player = 0;
    set_selected_joint(j);
}

// A ray from 3 units out along dir through the centre of geom g.
Ray ray_through(dGeomID g, const double *dir)
{
    double pos[3], R[12];
    geom_world_pose(g, pos, R);
    Ray r;
    for (int k = 0; k < 3; k++) {
        r.near_pt[k] = pos[k] + 3 * dir[k];
        r.far_pt[k] = pos[k] - 3 * dir[k];
    }
    return r;
}

// A direction whose click on fighter 0 lands on joint j (body -1) or, for
// j -1, on the hand `body` alone; found by clicking in a fresh match.
bool find_ray(int j, int body, Ray *out)
{
    static const double dirs[][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1},
                                     {0.6, 0.8, 0}, {-0.6, 0.8, 0}, {0.6, -0.8, 0}, {-0.6, -0.8, 0},
                                     {0.6, 0, 0.8}, {-0.6, 0, 0.8}, {0, 0.6, 0.8}, {0, -0.6, 0.8}};
    for (const double *d : dirs) {
        fresh_match(j >= 0 ? j : (body == R_HAND ? R_WRIST : L_WRIST));
        Player *p = get_player(0);
        const Ray r = ray_through(j >= 0 ? p->joint_geoms[j] : p->body_geoms[body], d);
        set_selected_joint(-1);
        mouse_pick_joint(0, 1, r.near_pt, r.far_pt, 0, 0);
        if (get_game_globals()->selected_player == 0 && get_selected_joint() == j &&
            (j >= 0 || get_selected_body() == body)) {
            *out = r;
            return true;
        }
    }
    return false;
}

void key(int sym)
{
    on_key(sym, 0, 0, 1);
    on_key(sym, 0, 0, 0);
}

struct Mode {
    const char *name;
    std::function<void()> enter;
    bool allowed;
};

void network_match(int own_slot, int bouts)
{
    GameGlobals *g = get_game_globals();
    g->network_mode = 1;
    g->own_slot = own_slot;
    g->bouts_present = bouts;
}

std::vector<Mode> modes()
{
    return {
        {"between turns", [] {}, true},
        {"ghost preview", [] { start_ghost_player(0); }, true},
        {"turn running", [] { commit_turn(0); }, false},
        // A paused turn waits with the world frozen: its rest takes the
        // change.
        {"turn paused", [] { commit_turn(0); toggle_game_running(0); }, true},
        {"replay playing", [] { get_game_globals()->replay_mode = 1; }, false},
        {"match over", [] { get_game_state()->game_over = 1; }, false},
        {"fighter ready", [] { get_player(0)->ready = 1; }, false},
        {"fighter out of play", [] { get_player(0)->out_of_play = 1; }, false},
        {"joint dismembered", [] { break_joint(0, R_WRIST, JOINT_DISMEMBERED); }, false},
        {"joint fractured", [] { break_joint(0, R_WRIST, JOINT_FRACTURED); }, false},
        {"network, own fighter", [] { network_match(0, 2); }, true},
        {"network, other's fighter", [] { network_match(1, 2); }, false},
        {"network, bout missing", [] { network_match(0, 1); }, false},
    };
}

// What a key press or a click changed: the joint's state and the hand's
// grip wish.
struct Seen {
    int state, grip;
};

Seen seen(int j, int hand)
{
    return {get_joint_state(0, j), get_player(0)->grip_wish[grip_hand_slot(hand)]};
}

} // namespace

TEST(JointChangeRule, KeysAndClicksRefuseAndAllowTheSameInEveryMode)
{
    ProgramDir d;
    const int j = R_WRIST, hand = R_HAND;
    Ray joint_ray, hand_ray;
    ASSERT_TRUE(find_ray(j, -1, &joint_ray));
    ASSERT_TRUE(find_ray(-1, hand, &hand_ray));

    for (const Mode &m : modes()) {
        SCOPED_TRACE(m.name);
        // What one action did to the joint's state and the hand's grip, in a
        // fresh match entered into the mode.
        auto act = [&](const std::function<void()> &action) {
            fresh_match(j);
            m.enter();
            const Seen before = seen(j, hand);
            action();
            const Seen after = seen(j, hand);
            return Seen{after.state != before.state, after.grip != before.grip};     // what changed
        };
        // The joint: Z on the selected joint, then a click on it.
        EXPECT_EQ(act([] { key(KEY_Z); }).state, m.allowed);
        EXPECT_EQ(act([&] { mouse_pick_joint(0, 1, joint_ray.near_pt, joint_ray.far_pt, 0, 0); }).state, m.allowed);
        // The grip: L with the wrist selected, then a click on the hand.
        EXPECT_EQ(act([] { key(KEY_L); }).grip, m.allowed);
        EXPECT_EQ(act([&] { mouse_pick_joint(0, 1, hand_ray.near_pt, hand_ray.far_pt, 0, 0); }).grip, m.allowed);
    }
}

// A click passes over a fighter marked out of play: it is not selected,
// whatever of it the ray meets first.
TEST(JointChangeRule, AClickPassesOverAFighterOutOfPlay)
{
    ProgramDir d;
    Ray joint_ray;
    ASSERT_TRUE(find_ray(R_WRIST, -1, &joint_ray));
    fresh_match(-1);
    get_game_globals()->selected_player = 1;
    get_player(0)->out_of_play = 1;
    mouse_pick_joint(0, 1, joint_ray.near_pt, joint_ray.far_pt, 0, 0);
    EXPECT_NE(get_game_globals()->selected_player, 0);
    fresh_match(-1);
    get_game_globals()->selected_player = 1;
    mouse_pick_joint(0, 1, joint_ray.near_pt, joint_ray.far_pt, 0, 0);
    EXPECT_EQ(get_game_globals()->selected_player, 0);
    EXPECT_EQ(get_selected_joint(), R_WRIST);
}
