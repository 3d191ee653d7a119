// The blood drop rings.
#include <algorithm>
#include <vector>
#include "game/bleed.h"
#include "game/blood.h"
#include "game/collision.h"
#include "game/joint_breaks.h"
#include "match_fixture.h"
#include "world_fixture.h"

// Both rings wrap to drop 0 and reuse it: bleeding after 256 drops, contact
// blood after 255 (it never takes drop 255), starting at rest.
TEST_F(WorldTest, BloodRingsWrapAndReuseDropZero)
{
    const double point[3] = {1, 1, 1}, dir[3] = {0, 0, 1};
    for (int k = 0; k < 256; k++)
        spawn_bleed_drop(0, 21, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 256);
    get_blood_drop(0)->life = 7;
    spawn_bleed_drop(1, 22, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(0)->life, 50);
    EXPECT_EQ(get_blood_drop(0)->body_id, 22);

    reset_blood_drops();
    for (int k = 0; k < 255; k++)
        spawn_blood(0, 3, 1, 1, 1);
    EXPECT_EQ(get_blood_cursor(), 255);
    spawn_blood(1, 4, 2, 2, 2);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(255)->life, 0);
    const BloodDrop *d = get_blood_drop(0);
    EXPECT_EQ(d->fighter, 1);
    EXPECT_TRUE(dBodyIsEnabled(d->body));
    EXPECT_EQ(dBodyGetLinearVel(d->body)[2], 0);
    EXPECT_EQ(dBodyGetPosition(d->body)[0], 2);
}

// Drops sit out of the collision until placed: one placed after a reset
// lands on the ground and splashes instead of falling through it.
TEST_F(WorldTest, DropPlacedAfterResetLandsAndSplashes)
{
    reset_blood_drops();
    reset_blood_splash(0);
    spawn_blood(0, 3, 2.5, 2.5, 0.4);
    for (int k = 0; k < 100; k++)
        world_physics_step();
    EXPECT_GT(get_blood_splash_count(), 0);
    EXPECT_GT(dBodyGetPosition(get_blood_drop(0)->body)[2], 0.0);
}

namespace {

// Contact joints the last collision pass made between fighter i and the
// floor (a contact with no second body) and between i and fighter k.
void count_contacts(int i, int k, int *floor, int *other)
{
    *floor = *other = 0;
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = get_player(i)->bodies[b];
        for (int n = 0; n < dBodyGetNumJoints(body); n++) {
            dJointID j = dBodyGetJoint(body, n);
            if (dJointGetType(j) != dJointTypeContact)
                continue;
            dBodyID with = dJointGetBody(j, 0) == body ? dJointGetBody(j, 1) : dJointGetBody(j, 0);
            if (!with)
                ++*floor;
            for (int c = 0; c < BODY_COUNT; c++)
                *other += with == get_player(k)->bodies[c];
        }
    }
}

} // namespace

// A match where several joints are torn and every drop of the ring lies on
// the floor: the drops' contacts do not take the fighters' away. Both
// fighters still touch the floor and each other.
TEST_F(MatchTest, DropsOnTheFloorLeaveTheFightersTheirContacts)
{
    const int torn[][2] = {{0, R_KNEE}, {0, L_WRIST}, {1, L_KNEE}, {1, R_ELBOW}};
    for (const auto &t : torn)
        ASSERT_EQ(break_joint(t[0], t[1], JOINT_DISMEMBERED), 0);
    // Fighter 1 steps into fighter 0 and both sink into the floor a little.
    for (int i = 0; i < 2; i++) {
        const dReal *h = dBodyGetPosition(get_player(i)->bodies[HEAD]);
        move_player(i, h[0], h[1] + (i == 1 ? 0.65 : 0.0), h[2] - 0.02);
    }
    const double down[3] = {0, 0, -1};
    for (int d = 0; d < BLOOD_DROP_COUNT; d++) {
        const double at[3] = {4.0 + (d % 16) * 0.3, 4.0 + (d / 16) * 0.3, 0.05};
        spawn_bleed_drop(d % 2, 21 + R_KNEE, at, down, 0.0, 1.0);
    }
    for (int d = 0; d < BLOOD_DROP_COUNT; d++)
        ASSERT_GT(get_blood_drop(d)->life, 0) << d;

    GameGlobals *g = get_game_globals();
    collide_space(g->space);
    int floor[2], other[2];
    for (int i = 0; i < 2; i++)
        count_contacts(i, 1 - i, &floor[i], &other[i]);
    int drops = 0;
    for (int d = 0; d < BLOOD_DROP_COUNT; d++)
        drops += dBodyGetNumJoints(get_blood_drop(d)->body) > 0;
    dJointGroupEmpty(g->contact_group);
    EXPECT_EQ(drops, BLOOD_DROP_COUNT);
    for (int i = 0; i < 2; i++) {
        EXPECT_GT(floor[i], 0) << "fighter " << i;
        EXPECT_GT(other[i], 0) << "fighter " << i;
    }
}

// Fighters piled into each other with every joint torn and the ring's drops
// bleeding inside the pile: the contacts among bodies, the drops' on them
// included, stay within the bound that keeps such a step quick.
TEST_F(MatchTest, DropsInAPileStayWithinTheBodiesBound)
{
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < JOINT_COUNT; j++)
            break_joint(i, j, JOINT_DISMEMBERED);
    const dReal *h = dBodyGetPosition(get_player(0)->bodies[HEAD]);
    move_player(1, h[0], h[1], h[2]);
    const double up[3] = {0, 0, 1};
    for (int d = 0; d < BLOOD_DROP_COUNT; d++) {
        const dReal *at = dBodyGetPosition(get_player(d % 2)->bodies[d % BODY_COUNT]);
        const double p[3] = {at[0], at[1], at[2]};
        spawn_bleed_drop(d % 2, 21, p, up, 0.0, 1.0);
    }
    GameGlobals *g = get_game_globals();
    collide_space(g->space);
    std::vector<dJointID> seen;
    for (int i = 0; i < 2; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodyID body = get_player(i)->bodies[b];
            for (int n = 0; n < dBodyGetNumJoints(body); n++) {
                dJointID j = dBodyGetJoint(body, n);
                if (dJointGetType(j) == dJointTypeContact && std::find(seen.begin(), seen.end(), j) == seen.end())
                    seen.push_back(j);
            }
        }
    dJointGroupEmpty(g->contact_group);
    EXPECT_LE((int)seen.size(), (int)CONTACT_JOINTS_PER_STEP);
    EXPECT_GE((int)seen.size(), (int)CONTACT_JOINTS_PER_STEP - CONTACTS_PER_PAIR);   // it is a pile
}
