#include <cmath>
#include "game/blood.h"
#include "game/body_defs.h"
#include "match_step.h"

TEST_F(RulesTest, NeckThresholdIsHundredAndAQuarterRightAfterAHit)
{
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 100.0);
    get_player(0)->hit_flash[21 + NECK] = 1.0f;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 25.0);
    // The flash of fighter 0 leaves fighter 1 alone.
    EXPECT_DOUBLE_EQ(dismember_threshold(1, NECK, 0.0), 100.0);
}

TEST_F(RulesTest, ElbowAndKneeThresholdsFollowTheAngle)
{
    const Player *p = get_player(0);
    for (int j : {R_ELBOW, L_ELBOW, R_KNEE, L_KNEE}) {
        const double lo = p->joints[j].lo_stop, hi = p->joints[j].hi_stop;
        ASSERT_LT(lo, hi);
        EXPECT_DOUBLE_EQ(dismember_threshold(0, j, lo), 220.0) << j;
        EXPECT_DOUBLE_EQ(dismember_threshold(0, j, hi), 420.0) << j;
        EXPECT_DOUBLE_EQ(dismember_threshold(0, j, hi + 1.0), 420.0) << j;
        EXPECT_NEAR(dismember_threshold(0, j, (lo + hi) / 2), 320.0, 1e-9) << j;
        // Overshooting the low stop never makes the joint weaker.
        EXPECT_DOUBLE_EQ(dismember_threshold(0, j, lo - 0.3), 220.0) << j;
    }
    EXPECT_DOUBLE_EQ(dismember_threshold(0, R_SHOULDER, 0.3), 220.0);
}

TEST_F(RulesTest, AnchorsIgnoreTheFlashAndPercentagesScale)
{
    Player *p = get_player(0);
    p->hit_flash[21 + R_ANCHOR] = 1.0f;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, R_ANCHOR, 0.0), 350.0);
    MatchRules *r = get_match_rules();
    r->dismemberthreshold = 50;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 50.0);
    r->dismemberthreshold = 0;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 100.0);
    r->dismemberthreshold = -40;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 100.0);
    // A joint's own percentage wins over the rules'.
    r->dismemberthreshold = 100;
    p->joint_defs[NECK].dm_threshold = 200;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 200.0);
    r->fracturethreshold = 30;
    EXPECT_DOUBLE_EQ(fracture_threshold(0, L_WRIST, 0.0), 66.0);
    EXPECT_EQ(dismember_threshold(5, NECK, 0.0), 0.0);
    EXPECT_EQ(dismember_threshold(0, 20, 0.0), 0.0);
}

// The neck's hinge axis is x: only y and z count while it is inside its stops.
static void neck_force(double fx, double fy)
{
    dJointFeedback &fb = get_player(0)->hinge_feedback[NECK];
    fb.f1[0] = fx;
    fb.f1[1] = fy;
    fb.f1[2] = 0;
    fb.t1[0] = fb.t1[1] = fb.t1[2] = 0;
}

TEST_F(RulesTest, NeckBreaksPastItsThreshold)
{
    neck_force(0, 9.99);   // 99.8
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_INTACT);
    neck_force(50, 0);     // the hinge axis itself does not count
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_INTACT);
    neck_force(0, 10.01);  // 100.2
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_DISMEMBERED);
}

TEST_F(RulesTest, HitNeckBreaksAtAQuarter)
{
    get_player(0)->hit_flash[21 + NECK] = 1.0f;
    neck_force(0, 4.99);
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_INTACT);
    neck_force(0, 5.01);
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_DISMEMBERED);
}

TEST_F(RulesTest, FractureOnlyRulesFracture)
{
    get_match_rules()->flags = RULE_FLAG_FRACTURE;
    neck_force(0, 10.01);
    check_joint_breaks(0);
    const Player *p = get_player(0);
    EXPECT_EQ(p->joints[NECK].broken, JOINT_FRACTURED);
    EXPECT_EQ(p->pending_sound, 47);
    EXPECT_FLOAT_EQ(p->score, -15000.0f);
}

TEST_F(RulesTest, DismemberedJointLetsGoAndItsBodiesCollideWithEverything)
{
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    apply_pending_wishes();
    for (int k = 0; k < 5; k++)
        rules_step();
    Player *p = get_player(0);
    const int cursor = get_blood_cursor();
    ASSERT_EQ(break_joint(0, R_ELBOW, JOINT_DISMEMBERED), 0);
    EXPECT_EQ(get_blood_cursor(), cursor + 1);
    EXPECT_EQ(get_blood_drop(cursor)->body_id, 21 + R_ELBOW);

    const JointState &js = p->joints[R_ELBOW];
    EXPECT_EQ(js.broken, JOINT_DISMEMBERED);
    EXPECT_EQ(js.broken_recorded, JOINT_DISMEMBERED);
    EXPECT_FLOAT_EQ(js.bleeding, 30.0f);
    EXPECT_EQ(p->broken_joints, 1);
    EXPECT_EQ(p->pending_sound, 22);
    EXPECT_FLOAT_EQ(p->injury, 5000.0f);
    EXPECT_FLOAT_EQ(p->score, -5000.0f);
    EXPECT_EQ(dJointGetBody(p->hinges[R_ELBOW], 0), nullptr);
    EXPECT_EQ(dJointGetBody(p->hinges[R_ELBOW], 1), nullptr);
    EXPECT_EQ(dGeomGetCollideBits(p->body_geoms[R_TRICEPS]), (unsigned long)CATEGORY_ALL);
    EXPECT_EQ(dGeomGetCollideBits(p->body_geoms[R_BICEPS]), (unsigned long)CATEGORY_ALL);
    EXPECT_EQ(dGeomGetCollideBits(p->joint_geoms[R_ELBOW]), (unsigned long)CATEGORY_ALL);
    // The whole fighter goes limp.
    for (int j = 0; j < JOINT_COUNT; j++)
        EXPECT_EQ(dJointGetHingeParam(p->hinges[j], dParamFMax), 0.0) << j;
    // A dismembered joint still takes states; its hinge holds nothing.
    EXPECT_EQ(fighter_set_joint_state(0, R_ELBOW, MOTOR_HOLD), 0);

    const dReal *a = dBodyGetPosition(p->bodies[R_TRICEPS]);
    const dReal *b = dBodyGetPosition(p->bodies[R_BICEPS]);
    const double before = std::hypot(std::hypot(a[0] - b[0], a[1] - b[1]), a[2] - b[2]);
    // The forearm falls away and the joint bleeds while the parts move.
    int bleeding_drops = 0;
    for (int k = 0; k < 150; k++) {
        const int c = get_blood_cursor();
        rules_step();
        for (int d = c; d != get_blood_cursor(); d = (d + 1) % BLOOD_DROP_COUNT)
            if (get_blood_drop(d)->body_id == 21 + R_ELBOW && get_blood_drop(d)->fighter == 0)
                bleeding_drops++;
    }
    a = dBodyGetPosition(p->bodies[R_TRICEPS]);
    b = dBodyGetPosition(p->bodies[R_BICEPS]);
    const double after = std::hypot(std::hypot(a[0] - b[0], a[1] - b[1]), a[2] - b[2]);
    EXPECT_GT(after, before + 0.3);
    EXPECT_GT(bleeding_drops, 0);
    EXPECT_FLOAT_EQ(p->joints[R_ELBOW].bleeding, 30.0f - 150.0f);
}

TEST_F(RulesTest, FracturedJointTakesItsFractureStopsAndRefusesStates)
{
    Player *p = get_player(0);
    ASSERT_EQ(break_joint(0, L_KNEE, JOINT_FRACTURED), 0);
    const dJointID h = p->hinges[L_KNEE];
    EXPECT_DOUBLE_EQ(dJointGetHingeParam(h, dParamLoStop), p->joints[L_KNEE].fracture_lo);
    EXPECT_DOUBLE_EQ(dJointGetHingeParam(h, dParamHiStop), p->joints[L_KNEE].fracture_hi);
    EXPECT_LT(p->joints[L_KNEE].fracture_lo, p->joints[L_KNEE].lo_stop);
    EXPECT_EQ(dJointGetHingeParam(h, dParamFMax), 0.0);
    EXPECT_EQ(p->motor_wish[L_KNEE], MOTOR_RELAX);
    EXPECT_EQ(fighter_set_joint_state(0, L_KNEE, MOTOR_FWD), -1);
    EXPECT_EQ(p->motor_wish[L_KNEE], MOTOR_RELAX);
    EXPECT_NE(dJointGetBody(h, 0), nullptr);
    EXPECT_EQ(p->pending_sound, 22);
    EXPECT_FLOAT_EQ(p->score, -5000.0f);
    // The other hinges keep their motors.
    EXPECT_EQ(p->joints[R_KNEE].broken, JOINT_INTACT);
    // A broken joint is not checked again.
    p->joints[L_KNEE].hit_mark = 1;
    check_joint_breaks(0);
    EXPECT_EQ(p->broken_joints, 1);
}

TEST_F(RulesTest, BreaksAfterTheGameIsOverCostNothing)
{
    get_game_state()->game_over = 1;
    Player *p = get_player(1);
    p->score = 12.5f;
    p->injury = 3.0f;
    break_joint(1, NECK, JOINT_DISMEMBERED);
    break_joint(1, R_WRIST, JOINT_FRACTURED);
    EXPECT_FLOAT_EQ(p->score, 12.5f);
    EXPECT_FLOAT_EQ(p->injury, 3.0f);
    EXPECT_EQ(p->broken_joints, 2);
}

TEST_F(RulesTest, BreakPointsAndBadBreaks)
{
    EXPECT_EQ(break_points(NECK), 15000);
    EXPECT_EQ(break_points(R_WRIST), 2000);
    EXPECT_EQ(break_points(L_WRIST), 2000);
    EXPECT_EQ(break_points(L_ANCHOR), 5000);
    EXPECT_EQ(break_joint(0, -1, 1), 1);
    EXPECT_EQ(break_joint(0, 20, 1), 1);
    EXPECT_EQ(break_joint(7, 0, 1), 1);
    EXPECT_EQ(break_joint(0, 0, 3), 1);
    EXPECT_EQ(get_player(0)->broken_joints, 0);
    // Type 0 only counts.
    EXPECT_EQ(break_joint(0, 3, 0), 0);
    EXPECT_EQ(get_player(0)->broken_joints, 1);
    EXPECT_EQ(get_player(0)->joints[3].broken, JOINT_INTACT);
    EXPECT_EQ(get_player(0)->score, 0.0f);
}

TEST_F(RulesTest, ServerBreaksApplyWhenDue)
{
    EXPECT_EQ(set_pending_break(1, R_HIP, JOINT_DISMEMBERED, 30), 0);
    EXPECT_EQ(set_pending_break(1, NECK, JOINT_FRACTURED, 31), 0);
    EXPECT_EQ(set_pending_break(2, NECK, 1, 0), 1);
    EXPECT_EQ(set_pending_break(0, 20, 1, 0), 1);
    EXPECT_EQ(set_pending_break(0, 1, 5, 0), 1);
    EXPECT_EQ(get_pending_breaks(-1), nullptr);
    apply_pending_breaks(29);
    EXPECT_EQ(get_player(1)->broken_joints, 0);
    apply_pending_breaks(30);
    EXPECT_EQ(get_player(1)->joints[R_HIP].broken, JOINT_DISMEMBERED);
    EXPECT_EQ(get_player(1)->joints[NECK].broken, JOINT_INTACT);
    apply_pending_breaks(40);
    EXPECT_EQ(get_player(1)->joints[NECK].broken, JOINT_FRACTURED);
    apply_pending_breaks(41);
    EXPECT_EQ(get_player(1)->broken_joints, 2);
}

TEST_F(RulesTest, ResetFightersMendsBrokenJoints)
{
    Player *p = get_player(0);
    const unsigned long bits = dGeomGetCollideBits(p->body_geoms[R_TRICEPS]);
    break_joint(0, R_ELBOW, JOINT_DISMEMBERED);
    break_joint(0, L_KNEE, JOINT_FRACTURED);
    reset_fighters();
    EXPECT_EQ(dGeomGetCollideBits(p->body_geoms[R_TRICEPS]), bits);
    EXPECT_EQ(dJointGetBody(p->hinges[R_ELBOW], 0), p->bodies[R_TRICEPS]);
    EXPECT_DOUBLE_EQ(dJointGetHingeParam(p->hinges[L_KNEE], dParamLoStop), p->joints[L_KNEE].lo_stop);
    EXPECT_EQ(p->joints[R_ELBOW].broken, JOINT_INTACT);
    EXPECT_EQ(p->broken_joints, 0);
    EXPECT_EQ(p->score, 0.0f);
}
