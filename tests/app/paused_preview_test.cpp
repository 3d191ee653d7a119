// A ghost preview started inside a paused turn, through the paths the keys
// and the mouse take (a click on the other fighter, B, G): the turn keeps
// its pause and its frames, the live world stays where it stopped, and
// after P the turn ends at its own length exactly as a turn never previewed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/key_bindings.h"
#include "app/tick.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_mode.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "game/world_physics.h"
#include "gui/services/menu_state.h"
#include "support/test_support.h"
#include "program_dir.h"

namespace {

void key(int sym)
{
    on_key(sym, 0, 0, 1);
    on_key(sym, 0, 0, 0);
}

// Every live body's position, orientation and velocities, bit for bit.
std::vector<double> live_bodies()
{
    std::vector<double> v;
    for (int i = 0; i < fighter_count(); i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodyID body = get_player(i)->bodies[b];
            const dReal *parts[4] = {dBodyGetPosition(body), dBodyGetQuaternion(body), dBodyGetLinearVel(body),
                                     dBodyGetAngularVel(body)};
            for (int k = 0; k < 4; k++)
                v.insert(v.end(), parts[k], parts[k] + (k == 1 ? 4 : 3));
        }
    return v;
}

// A fresh match waiting for its first turn, fighter 0 selected, with a few
// of its joints driven so that the turn moves the fighters.
void fresh_match()
{
    key_bindings_reset();
    menu_set_state(0);
    reset_game();
    get_game_globals()->selected_player = 0;
    for (int j : {0, 4, 7, 14, 15})
        fighter_set_joint_state(0, j, MOTOR_FWD);
}

struct Ray {
    double near_pt[3], far_pt[3];
};

// A click that selects fighter 1 by one of its bodies, no joint hit (a hit
// joint would be changed by the click); found by clicking in fresh matches.
bool find_body_click(Ray *out)
{
    static const double dirs[][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0.6, 0, 0.8},
                                     {-0.6, 0, 0.8}, {0, 0.6, 0.8}, {0, -0.6, 0.8}};
    for (int b = 0; b < BODY_COUNT; b++)
        for (const double *d : dirs) {
            fresh_match();
            double pos[3], R[12];
            geom_world_pose(get_player(1)->body_geoms[b], pos, R);
            Ray r;
            for (int k = 0; k < 3; k++) {
                r.near_pt[k] = pos[k] + 3 * d[k];
                r.far_pt[k] = pos[k] - 3 * d[k];
            }
            mouse_pick_joint(0, 1, r.near_pt, r.far_pt, 0, 0);
            if (get_game_globals()->selected_player == 1 && get_selected_joint() == -1) {
                *out = r;
                return true;
            }
        }
    return false;
}

enum Way { NO_PREVIEW, CLICK_OTHER, KEY_B_ALL, KEY_G_ROW };
const char *const k_way_names[] = {"no preview", "click on the other fighter", "B", "G"};

struct TurnEnd {
    int frame = -1;
    std::vector<double> bodies;
};

// Commits the first turn, pauses it after three ticks, starts the preview
// the given way, lets it run, resumes with P and runs the turn to its end.
TurnEnd paused_turn(Way way, const Ray &click)
{
    SCOPED_TRACE(k_way_names[way]);
    fresh_match();
    WorldState *w = get_game_state();
    key(KEY_SPACE);
    for (int i = 0; i < 3; i++)
        on_tick(0);
    EXPECT_TRUE(game_is_running());
    key(KEY_P);
    EXPECT_TRUE(match_is_paused());
    const int frame = w->frame, left = w->frames_left;
    const std::vector<double> stopped = live_bodies();

    if (way == CLICK_OTHER)
        mouse_pick_joint(0, 1, click.near_pt, click.far_pt, 0, 0);
    else if (way == KEY_B_ALL)
        key(KEY_B);
    else if (way == KEY_G_ROW)
        key(KEY_G);
    if (way != NO_PREVIEW) {
        EXPECT_NE(w->ghost_mode, 0);
    }
    for (int i = 0; i < 30; i++)
        on_tick(0);
    // The preview ran from the paused state; the turn waits with its frames.
    EXPECT_TRUE(match_is_paused());
    EXPECT_EQ(w->frame, frame);
    EXPECT_EQ(w->frames_left, left);
    key(KEY_SPACE);   // no new turn over the paused one
    EXPECT_EQ(w->frames_left, left);

    key(KEY_P);
    EXPECT_FALSE(match_is_paused());
    EXPECT_EQ(w->ghost_mode, 0);
    EXPECT_TRUE(game_is_running());
    EXPECT_TRUE(live_bodies() == stopped) << "the live world moved while paused";
    for (int i = 0; i < 500 && game_is_running(); i++)
        on_tick(0);
    EXPECT_EQ(w->frames_left, 0);
    return TurnEnd{w->frame, live_bodies()};
}

} // namespace

TEST(PausedPreview, ThePausedTurnKeepsItsPauseAndFramesAndEndsAsNeverPreviewed)
{
    kxtest::ProgramFolder d;
    Ray click;
    ASSERT_TRUE(find_body_click(&click));
    const TurnEnd plain = paused_turn(NO_PREVIEW, click);
    ASSERT_GT(plain.frame, 3);
    for (Way way : {CLICK_OTHER, KEY_B_ALL, KEY_G_ROW}) {
        const TurnEnd t = paused_turn(way, click);
        EXPECT_EQ(t.frame, plain.frame) << k_way_names[way];
        EXPECT_TRUE(t.bodies == plain.bodies) << k_way_names[way];
    }
}

// A click on the other fighter while the turn runs selects it but starts
// no preview: the turn runs on to its own end.
TEST(PausedPreview, AClickInARunningTurnStartsNoPreview)
{
    kxtest::ProgramFolder d;
    Ray click;
    ASSERT_TRUE(find_body_click(&click));
    const TurnEnd plain = paused_turn(NO_PREVIEW, click);

    fresh_match();
    WorldState *w = get_game_state();
    key(KEY_SPACE);
    for (int i = 0; i < 3; i++)
        on_tick(0);
    mouse_pick_joint(0, 1, click.near_pt, click.far_pt, 0, 0);
    EXPECT_EQ(get_game_globals()->selected_player, 1);
    EXPECT_EQ(w->ghost_mode, 0);
    EXPECT_TRUE(game_is_running());
    for (int i = 0; i < 500 && game_is_running(); i++)
        on_tick(0);
    EXPECT_EQ(w->frame, plain.frame);
    EXPECT_TRUE(live_bodies() == plain.bodies);
}
