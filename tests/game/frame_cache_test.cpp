// The frame cache puts every shape back as it was stored.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cmath>
#include "game/blood.h"
#include "match_fixture.h"

struct ShapeSnapshot {
    std::vector<double> pos;
    std::vector<double> rot;
};

static void add_geom(ShapeSnapshot &s, dGeomID g)
{
    double pos[3], R[12];
    geom_world_pose(g, pos, R);
    s.pos.insert(s.pos.end(), pos, pos + 3);
    s.rot.insert(s.rot.end(), R, R + 12);
}

static ShapeSnapshot snapshot()
{
    ShapeSnapshot s;
    for (int i = 0; i < 2; i++) {
        Player *p = get_player(i);
        for (int b = 0; b < BODY_COUNT; b++)
            add_geom(s, p->body_geoms[b]);
        for (int j = 0; j < JOINT_COUNT; j++)
            add_geom(s, p->joint_geoms[j]);
    }
    for (int d = 0; d < BLOOD_DROP_COUNT; d += 17)
        add_geom(s, get_blood_drop(d)->geom);
    return s;
}

TEST_F(MatchTest, RestoreBringsEveryGeomBack)
{
    WorldState *w = get_game_state();
    script_turn(0);
    start_turn_frames(10);
    tick(10);   // frames 0..9 stored
    spawn_blood(0, HEAD, 0.3, 0.2, 1.5);
    get_player(0)->hit_flash[HEAD] = 1.0f;
    get_player(1)->injury = 123.5f;
    const double impact[3] = {0.5, -0.25, 0};
    record_ground_impact(1, impact);
    const GroundImpact stored_impact = *get_ground_impact(1);
    frame_cache_store(w->frame);
    const int stored = w->frame;
    const ShapeSnapshot before = snapshot();

    // Disturb: move, turn, run the world on, clear the flash and injury.
    for (int i = 0; i < 2; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodySetPosition(get_player(i)->bodies[b], b * 0.1, i, 3.0);
            dMatrix3 R;
            dRFromAxisAndAngle(R, 1, 0, 0, 0.7 + b);
            dBodySetRotation(get_player(i)->bodies[b], R);
        }
    dGeomSetPosition(get_blood_drop(0)->geom, 9, 9, 9);
    get_player(0)->hit_flash[HEAD] = 0;
    get_player(1)->injury = 0;
    clear_ground_impacts();

    frame_cache_restore(stored);
    const ShapeSnapshot after = snapshot();
    ASSERT_EQ(before.pos.size(), after.pos.size());
    for (size_t k = 0; k < before.pos.size(); k++)   // positions are kept as floats
        EXPECT_NEAR(after.pos[k], before.pos[k], 2e-6 * (1 + std::fabs(before.pos[k]))) << k;
    for (size_t k = 0; k < before.rot.size(); k++)
        EXPECT_NEAR(after.rot[k], before.rot[k], 1e-12) << k;
    EXPECT_EQ(get_player(0)->hit_flash[HEAD], 1.0f);
    EXPECT_EQ(get_player(1)->injury, 123.5f);
    EXPECT_EQ(get_ground_impact(1)->frame, stored_impact.frame);
    EXPECT_EQ(get_ground_impact(1)->pos[0], 0.5);
    EXPECT_EQ(get_ground_impact(1)->countdown, stored_impact.countdown);
}

// A new match leaves nothing of the last one's snapshots: an entry not yet
// stored reads as zero and restores nothing, and a stored one keeps no field
// that its store did not write (here a grip anchor).
TEST_F(MatchTest, ClearedEntriesReadAsZeroAndRestoreNothing)
{
    Player *p = get_player(0);
    p->grip_joints[R_HAND] = dJointCreateHinge(get_game_globals()->world, nullptr);
    dJointSetHingeAnchor(p->grip_joints[R_HAND], 0.5, 0.25, 1.5);
    frame_cache_store(5);
    delete_all_grip_joints();
    frame_cache_clear();
    p->injury = 3;
    static const FrameCacheEntry zero = {};
    EXPECT_EQ(memcmp(frame_cache_entry(5), &zero, sizeof zero), 0);
    const std::vector<double> before = body_positions();
    frame_cache_restore(5);
    EXPECT_EQ(p->injury, 3);
    EXPECT_EQ(body_positions(), before);
    frame_cache_store(5);
    EXPECT_EQ(frame_cache_valid(5), 1u);
    EXPECT_EQ(frame_cache_entry(5)->grip_anchor[0][0][1], 0.0);
}
