#include "game/body_defs.h"
#include "game/collision.h"
#include "game/world_physics.h"
#include "game/env_objects.h"
#include "game/joints.h"
#include "game/mod_world.h"
#include "game/pose_check.h"
#include <cmath>
#include "world_fixture.h"

// A static box right where fighter 0's left hand is.
static void add_static_box_at_left_hand(ModWorld *m)
{
    EnvObject &o = m->env_objects[0];
    env_object_reset(&o);
    o.defined = 1;
    o.flag = ENV_FLAG_STATIC;
    const BodyDef &hand = builtin_body_table()[L_HAND];
    o.pos[0] = hand.pos[0] + 0.2;
    o.pos[1] = hand.pos[1];
    o.pos[2] = hand.pos[2] - 0.05;
    o.sides[0] = o.sides[1] = o.sides[2] = 0.3;
}

static int hand_object_records(void)
{
    int n = 0;
    for (int k = 0; k < get_contact_count(); k++) {
        const ContactRecord &r = get_contact_records()[k];
        if ((r.body_id[0] == L_HAND && r.other_kind == GEOM_ENV_OBJECT) ||
            (r.body_id[1] == L_HAND && r.other_kind == GEOM_ENV_OBJECT))
            n++;
    }
    return n;
}

TEST_F(WorldTest, GrippingHandOnStaticObjectMakesOneGripJointAndNoRecord)
{
    ModWorld *m = get_default_mod_world();
    add_static_box_at_left_hand(m);
    ASSERT_EQ(init_world(m), 0);
    apply_world_forces();
    set_all_joint_states(0, MOTOR_HOLD);
    set_grip(0, L_HAND, GRIP_ON);
    apply_pending_wishes();
    Player *p = get_player(0);
    ASSERT_EQ(p->grip_state[GRIP_LEFT], GRIP_ON);

    clear_contact_records();
    world_physics_step();
    ASSERT_NE(p->grip_joints[L_HAND], nullptr);
    dJointID grip = p->grip_joints[L_HAND];
    EXPECT_EQ(p->grip_target[L_HAND], 0);
    EXPECT_EQ(dJointGetBody(grip, 0), p->bodies[L_HAND]);
    EXPECT_EQ(dJointGetBody(grip, 1), nullptr);  // a static object is the world
    EXPECT_EQ(hand_object_records(), 0);
    int grips = 0;
    for (int k = 0; k < dBodyGetNumJoints(p->bodies[L_HAND]); k++)
        if (dJointGetType(dBodyGetJoint(p->bodies[L_HAND], k)) == dJointTypeHinge && dBodyGetJoint(p->bodies[L_HAND], k) != p->hinges[L_WRIST])
            grips++;
    EXPECT_EQ(grips, 1);
    for (int k = 0; k < 20; k++) {
        clear_contact_records();
        world_physics_step();
        EXPECT_EQ(p->grip_joints[L_HAND], grip);
        EXPECT_EQ(hand_object_records(), 0);
    }

    // Releasing removes the grip joint.
    set_grip(0, L_HAND, GRIP_RELEASE);
    apply_pending_wishes();
    EXPECT_EQ(p->grip_joints[L_HAND], nullptr);
    EXPECT_EQ(p->grip_state[GRIP_LEFT], GRIP_RELEASE);
    dVector3 s;
    dGeomBoxGetLengths(p->body_geoms[L_HAND], s);
    EXPECT_NEAR(s[0], 0.22, 1e-6);
}

// Joint rows from a mod, rpg statistics or a server can hold any number: the
// motor takes a bounded one and the world steps on, finite.
TEST_F(WorldTest, UnboundedJointRowsDriveBoundedMotors)
{
    Player *p = get_player(0);
    const float rows[][2] = {{1e30f, 1e30f}, {INFINITY, -INFINITY}, {NAN, NAN}, {-5.0f, 3.0f}};
    for (int j = 0; j < JOINT_COUNT; j++) {
        p->joint_defs[j].strength = rows[j % 4][0];
        p->joint_defs[j].velocity = rows[j % 4][1];
        ASSERT_EQ(drive_joint(0, j, j % 2 ? MOTOR_FWD : MOTOR_HOLD), 0);
        const dReal f = dJointGetHingeParam(p->hinges[j], dParamFMax);
        const dReal v = dJointGetHingeParam(p->hinges[j], dParamVel);
        EXPECT_TRUE(f >= 0 && f <= MOTOR_FORCE_LIMIT) << j;
        EXPECT_TRUE(std::fabs(v) <= POSE_VELOCITY_LIMIT) << j;
    }
    for (int k = 0; k < 50; k++)
        world_physics_step();
    for (int b = 0; b < BODY_COUNT; b++)
        for (int c = 0; c < 3; c++)
            ASSERT_TRUE(std::isfinite(body_pos(0, b)[c])) << b;
}
