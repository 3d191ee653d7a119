// The ghost preview predicts the coming turn; the trail stores it.
#include <algorithm>
#include <cmath>
#include "game/game_resets.h"
#include "game/joint_breaks.h"
#include "match_fixture.h"

// Largest distance between a live body and its ghost's pose in trail frame
// k, over the fighters whose ghost ran in the preview.
static double max_trail_deviation(int k, const bool *previewed)
{
    const GhostTrailFrame *t = ghost_trail_frame(k);
    double worst = 0;
    for (int i = 0; i < get_game_state()->players; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            if (!previewed[i])
                continue;
            const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
            for (int c = 0; c < 3; c++)
                worst = std::fmax(worst, std::fabs(p[c] - t->bodies[i][b].pos[c]));
        }
    return worst;
}

static double preview_deviation(bool change_joints, void (*script)(int), int turn = 40)
{
    WorldState *w = get_game_state();
    if (change_joints)
        script(2);
    restart_ghost(1);
    for (int k = 0; k <= turn; k++)
        run_match_tick(0);
    if (ghost_trail_complete())
        return -1;
    bool previewed[MAX_FIGHTERS] = {};
    for (int i = 0; i < w->players; i++)
        previewed[i] = !get_player(w->players + i)->hidden;
    const int start = w->frame;
    start_turn_frames(turn);
    double worst = 0;
    for (int k = 0; k <= turn; k++) {
        if (k > 0)
            run_match_tick(0);
        if (w->frame != start + k)
            return -1;
        worst = std::fmax(worst, max_trail_deviation(k, previewed));
    }
    return worst;
}

// The ghosts run the same bodies, joints and contacts in the same order as
// the fighters. The copy at the start sets each ghost body's quaternion
// through the engine, which normalises it again and rebuilds the rotation
// matrix: the last bits change. A turn that begins with new joint states
// begins with a recorded frame, and recording gives the live bodies that
// same set, so such a turn is predicted to the bit; a turn without new
// states differs by rounding only. Both are held to 1e-9 m.
TEST_F(MatchTest, PreviewOfAllFightersPredictsTheTurn)
{
    for (bool change_joints : {true, false}) {
        SCOPED_TRACE(change_joints);
        TearDown();
        SetUp();
        // The preview checks no breaks: a joint torn off in the turn (here a
        // knee at a fresh hit) is the one thing it does not show.
        get_match_rules()->flags &= ~(RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE);
        play_turn(0, 3);
        play_turn(1, 3);
        ASSERT_EQ(get_game_state()->ghost_mode, 2);
        const double worst = preview_deviation(change_joints, script_turn);
        ASSERT_GE(worst, 0.0);
        EXPECT_LT(worst, 1e-9) << "largest difference " << worst;
    }
}

TEST_F(MatchTest, TrailCompletesAfterHundredFramesAndLoops)
{
    WorldState *w = get_game_state();
    play_turn(0, 0);
    ASSERT_EQ(w->ghost_mode, 2);
    // The tick that ends the turn already runs the first ghost step.
    ASSERT_EQ(w->ghost_frame, 1.0f);
    tick(98);
    EXPECT_FALSE(ghost_trail_complete());
    tick();   // frame 99 saved, length reached: restart, trail complete
    EXPECT_TRUE(ghost_trail_complete());
    EXPECT_EQ(w->ghost_frame, 0.0f);
    // Replaying the stored trail: the ghosts take the stored poses.
    tick(37);
    const GhostTrailFrame *t = ghost_trail_frame(36);
    const dReal *head = dBodyGetPosition(get_player(2)->bodies[HEAD]);
    for (int c = 0; c < 3; c++)
        EXPECT_NEAR(head[c], t->bodies[0][HEAD].pos[c], 1e-12);
    EXPECT_EQ(w->ghost_frame, 37.0f);
    tick(63);
    tick();   // wraps after frame 99
    EXPECT_EQ(w->ghost_frame, 1.0f);
}

// Every hinge of every running ghost at the same angle and anchor as its
// fighter's; the largest difference.
static double ghost_hinge_deviation()
{
    const int n = get_game_state()->players;
    double worst = 0;
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i), *g = get_player(n + i);
        if (g->hidden)
            continue;
        for (int j = 0; j < JOINT_COUNT; j++) {
            if (p->joints[j].broken == JOINT_DISMEMBERED)
                continue;
            worst = std::fmax(worst, std::fabs(dJointGetHingeAngle(p->hinges[j]) - dJointGetHingeAngle(g->hinges[j])));
            dVector3 a1, a2, b1, b2;
            dJointGetHingeAnchor(p->hinges[j], a1);
            dJointGetHingeAnchor2(p->hinges[j], a2);
            dJointGetHingeAnchor(g->hinges[j], b1);
            dJointGetHingeAnchor2(g->hinges[j], b2);
            for (int c = 0; c < 3; c++)
                worst = std::fmax(worst, std::fmax(std::fabs(a1[c] - b1[c]), std::fabs(a2[c] - b2[c])));
        }
    }
    return worst;
}

// Matches follow one another as a player plays them: a few turns with
// previews, joints dismembered on the way (the ghosts copy the breaks into
// their own hinges), then a new game. The ghosts go back to their state as
// built with the fighters, so the preview at the start of every match shows
// the turn that is then played, both with one fighter's and with all
// fighters' ghosts.
TEST_F(MatchTest, PreviewPredictsTheTurnInEveryMatch)
{
    for (int match = 0; match < 3; match++) {
        SCOPED_TRACE(match);
        if (match > 0)
            reset_game();
        get_game_globals()->selected_player = match == 1 ? 0 : -1;
        set_ghost_option(match == 1 ? GHOST_OPTION_ONE : GHOST_OPTION_ALL);
        // The player moves fighter 0; the other holds (a ghost of one fighter
        // cannot foresee what the other does).
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(0, j, 1 + (match * 7 + j * 3) % 4);
        restart_ghost(1);
        if (get_game_state()->ghost_mode == 0)
            start_single_play_preview();
        ASSERT_NE(get_game_state()->ghost_mode, 0);
        EXPECT_LT(ghost_hinge_deviation(), 1e-9);
        const double worst = preview_deviation(false, script_turn, 10);
        ASSERT_GE(worst, 0.0);
        EXPECT_LT(worst, 1e-9) << "largest difference " << worst;

        // The rest of the match: turns with previews and breaks.
        break_joint(0, match == 1 ? R_HIP : L_HIP, 1);
        break_joint(1, R_ELBOW, 1);
        for (int t = 0; t < 4 && !get_game_state()->game_over; t++)
            play_turn(match + t, 15);
    }
}

// A single-play match in a mod whose fighters' bodies are pushed by thrusts
// every few frames, waiting for its first turn; no breaks (the preview
// checks none).
static void start_thrust_match()
{
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/thrusters.kxm", "body r_hand\nthrust 3 0 8 12\nbody l_foot\nthrust 2 6 0 0\n");
    MatchRules rules;
    fill_default_rules(0, &rules);
    n_strncpyz(rules.mod, "thrusters.kxm", sizeof rules.mod);
    new_match(0, 0, &rules, 0);
    get_match_rules()->flags &= ~(RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE);   // the mod's rules hold them
    start_single_play_match();
}

// Everything of the live bodies the next step reads: pose, velocities and
// the forces and torques gathered for it.
static std::vector<double> live_body_state()
{
    std::vector<double> out;
    for (int i = 0; i < fighter_count(); i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            const dBodyID body = get_player(i)->bodies[b];
            for (const dReal *v : {dBodyGetPosition(body), dBodyGetLinearVel(body), dBodyGetAngularVel(body),
                                   dBodyGetForce(body), dBodyGetTorque(body)})
                out.insert(out.end(), v, v + 3);
            const dReal *q = dBodyGetQuaternion(body);
            out.insert(out.end(), q, q + 4);
        }
    return out;
}

enum ThrustPreview { NO_PREVIEW, PREVIEW_BEFORE, PREVIEW_IN_PAUSE };

// Two turns of the thrust match, the first without a preview; the second
// with a preview of all fighters run past the turn's end before the commit,
// one started in a pause four frames into the turn, or none. The live state
// after the first turn, the positions at every frame of the second and the
// state after it. *worst: for the preview before the turn, the largest
// distance between the trail and the turn then played.
static std::vector<double> play_thrust_turns(ThrustPreview preview, double *worst)
{
    start_thrust_match();
    WorldState *w = get_game_state();
    script_turn(0);
    commit_turn(0);
    while (!match_waiting() && !w->game_over)
        run_match_tick(0);
    std::vector<double> out = live_body_state();

    script_turn(1);
    if (preview == PREVIEW_BEFORE) {
        EXPECT_EQ(w->ghost_mode, 2);   // started by the turn's end
        restart_ghost(1);
        for (int k = 0; k < 12; k++)
            run_match_tick(0);
        EXPECT_EQ(w->ghost_mode, 2);
    }
    bool previewed[MAX_FIGHTERS] = {true, true};
    *worst = 0;
    commit_turn(0);
    for (int k = 0; !match_waiting() && !w->game_over; k++) {
        const std::vector<double> at = body_positions();
        out.insert(out.end(), at.begin(), at.end());
        if (preview == PREVIEW_BEFORE && k <= 10)
            *worst = std::fmax(*worst, max_trail_deviation(k, previewed));
        run_match_tick(0);
        if (preview == PREVIEW_IN_PAUSE && k == 3) {
            toggle_game_running(0);
            start_ghost_all();
            for (int g = 0; g < 8; g++)
                run_match_tick(0);
            EXPECT_EQ(w->ghost_mode, 2);
            toggle_game_running(0);   // the preview ends with the pause
        }
    }
    const std::vector<double> after = live_body_state();
    out.insert(out.end(), after.begin(), after.end());
    return out;
}

// The first place two runs part, -1 when they are the same.
static long first_difference(const std::vector<double> &a, const std::vector<double> &b)
{
    for (size_t k = 0; k < a.size() && k < b.size(); k++)
        if (a[k] != b[k])
            return (long)k;
    return a.size() == b.size() ? -1 : (long)std::min(a.size(), b.size());
}

// A preview steps the ghosts only: the thrusts of the fighters' bodies push
// the ghosts, so that the trail shows the turn, and leave the live bodies,
// switched off meanwhile, with the forces they had. The turn played after a
// preview, or around one in its pause, is the turn played without.
TEST_F(MatchTest, ThrustsOfFightersPushTheGhostsInAPreview)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    double worst = 0;
    const std::vector<double> plain = play_thrust_turns(NO_PREVIEW, &worst);
    for (ThrustPreview preview : {PREVIEW_BEFORE, PREVIEW_IN_PAUSE}) {
        SCOPED_TRACE(preview);
        TearDown();
        SetUp();
        EXPECT_EQ(first_difference(play_thrust_turns(preview, &worst), plain), -1);
        if (preview == PREVIEW_BEFORE) {
            EXPECT_LT(worst, 1e-9) << "largest difference " << worst;
        }
    }
}
