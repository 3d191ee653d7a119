#include <algorithm>
#include <array>
#include <cmath>
#include "game/blood.h"
#include "game/body_defs.h"
#include "rules_fixture.h"

// Thresholds: 100 for the neck (a quarter right after a hit on it, for that
// fighter only), 220 to 420 over the angle range for elbows and knees, 350
// for the anchors whatever the flash; the rules' percentage scales (0 or
// below means 100) and a joint's own percentage wins.
TEST_F(RulesTest, DismemberThresholds)
{
    Player *p = get_player(0);
    MatchRules *r = get_match_rules();
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 100.0);
    p->hit_flash[21 + NECK] = 1.0f;
    p->hit_flash[21 + R_ANCHOR] = 1.0f;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 25.0);
    EXPECT_DOUBLE_EQ(dismember_threshold(1, NECK, 0.0), 100.0);
    EXPECT_DOUBLE_EQ(dismember_threshold(0, R_ANCHOR, 0.0), 350.0);
    p->hit_flash[21 + NECK] = 0.0f;
    for (int j : {R_ELBOW, L_ELBOW, R_KNEE, L_KNEE}) {
        const double lo = p->joints[j].lo_stop, hi = p->joints[j].hi_stop;
        ASSERT_LT(lo, hi);
        const double angles[][2] = {{lo, 220}, {hi, 420}, {hi + 1.0, 420}, {(lo + hi) / 2, 320}, {lo - 0.3, 220}};
        for (const auto &a : angles)
            EXPECT_NEAR(dismember_threshold(0, j, a[0]), a[1], 1e-9) << j << " " << a[0];
    }
    EXPECT_DOUBLE_EQ(dismember_threshold(0, R_SHOULDER, 0.3), 220.0);
    const int percentages[][2] = {{50, 50}, {0, 100}, {-40, 100}};
    for (const auto &pc : percentages) {
        r->dismemberthreshold = pc[0];
        EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), pc[1]) << pc[0];
    }
    r->dismemberthreshold = 100;
    p->joint_defs[NECK].dm_threshold = 200;
    EXPECT_DOUBLE_EQ(dismember_threshold(0, NECK, 0.0), 200.0);
    r->fracturethreshold = 30;
    EXPECT_DOUBLE_EQ(fracture_threshold(0, L_WRIST, 0.0), 66.0);
    EXPECT_EQ(dismember_threshold(5, NECK, 0.0), 0.0);
    EXPECT_EQ(dismember_threshold(0, 20, 0.0), 0.0);
}

// The neck's hinge axis is x: only y and z count while it is inside its
// stops. 100 breaks it, a quarter of that right after a hit.
TEST_F(RulesTest, NeckBreaksPastItsThreshold)
{
    struct { float flash; double fx, fy; int broken; } cases[] = {
        {0, 0, 9.99, JOINT_INTACT},  {0, 50, 0, JOINT_INTACT}, {0, 0, 10.01, JOINT_DISMEMBERED},
        {1, 0, 4.99, JOINT_INTACT}, {1, 0, 5.01, JOINT_DISMEMBERED},
    };
    for (const auto &c : cases) {
        reset_fighters();
        Player *p = get_player(0);
        p->hit_flash[21 + NECK] = c.flash;
        dJointFeedback &fb = p->hinge_feedback[NECK];
        fb = dJointFeedback{};
        fb.f1[0] = c.fx;
        fb.f1[1] = c.fy;
        check_joint_breaks(0);
        EXPECT_EQ(p->joints[NECK].broken, c.broken) << c.flash << " " << c.fx << " " << c.fy;
    }
    // Under fracture-only rules the same force fractures, for the neck's
    // 15000 points.
    reset_fighters();
    get_match_rules()->flags = RULE_FLAG_FRACTURE;
    get_player(0)->hinge_feedback[NECK].f1[1] = 10.01;
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_FRACTURED);
    EXPECT_EQ(get_player(0)->pending_sound, 47);
    EXPECT_FLOAT_EQ(get_player(0)->score, -15000.0f);
}

TEST_F(RulesTest, DismemberedJointLetsGoAndItsBodiesCollideWithEverything)
{
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    for (int k = 0; k < 5; k++)
        step();
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
    for (dGeomID g : {p->body_geoms[R_TRICEPS], p->body_geoms[R_BICEPS], p->joint_geoms[R_ELBOW]})
        EXPECT_EQ(dGeomGetCollideBits(g), (unsigned long)CATEGORY_ALL);
    // The whole fighter goes limp.
    for (int j = 0; j < JOINT_COUNT; j++)
        EXPECT_EQ(dJointGetHingeParam(p->hinges[j], dParamFMax), 0.0) << j;
    // A dismembered joint still takes states; its hinge holds nothing.
    EXPECT_EQ(fighter_set_joint_state(0, R_ELBOW, MOTOR_HOLD), 0);

    auto gap = [&] {
        const dReal *a = dBodyGetPosition(p->bodies[R_TRICEPS]);
        const dReal *b = dBodyGetPosition(p->bodies[R_BICEPS]);
        return std::hypot(std::hypot(a[0] - b[0], a[1] - b[1]), a[2] - b[2]);
    };
    const double before = gap();
    // The forearm falls away and the joint bleeds while the parts move.
    int bleeding_drops = 0;
    for (int k = 0; k < 150; k++) {
        const int c = get_blood_cursor();
        step();
        for (int d = c; d != get_blood_cursor(); d = (d + 1) % BLOOD_DROP_COUNT)
            if (get_blood_drop(d)->body_id == 21 + R_ELBOW && get_blood_drop(d)->fighter == 0)
                bleeding_drops++;
    }
    EXPECT_GT(gap(), before + 0.3);
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
    EXPECT_EQ(fighter_set_joint_state(0, L_KNEE, MOTOR_FWD), -1);
    EXPECT_EQ(p->motor_wish[L_KNEE], MOTOR_RELAX);
    EXPECT_NE(dJointGetBody(h, 0), nullptr);
    EXPECT_EQ(p->pending_sound, 22);
    EXPECT_FLOAT_EQ(p->score, -5000.0f);
    EXPECT_EQ(p->joints[R_KNEE].broken, JOINT_INTACT);
    // A broken joint is not checked again.
    p->joints[L_KNEE].hit_mark = 1;
    check_joint_breaks(0);
    EXPECT_EQ(p->broken_joints, 1);
    // Bad fighters, joints and kinds break nothing.
    for (const auto &b : {std::array<int, 3>{0, -1, 1}, {0, 20, 1}, {7, 0, 1}, {0, 0, 3}})
        EXPECT_EQ(break_joint(b[0], b[1], b[2]), 1);
    EXPECT_EQ(p->broken_joints, 1);
}

// A joint hit in a step is checked in that step at the threshold of a fresh
// hit, a quarter of its base, not at the threshold one fade later (0.2875
// of it). The neck of a fighter whose head is flung upwards takes a force
// on its cross axes; hit in the same step, it tears at a percentage of the
// rules' threshold that puts that force between the two.
TEST_F(RulesTest, AJointHitInAStepIsCheckedAtTheFreshThreshold)
{
    auto fling_and_hit = [](int percent) {
        get_match_rules()->flags = RULE_FLAG_DISMEMBER;
        get_match_rules()->dismemberthreshold = percent;
        dBodySetLinearVel(get_player(0)->bodies[HEAD], 3, 0, 40);
        const ContactRecord hit = make_record(0, BODY_COUNT + NECK, 1, HEAD, 4.0, 3.0);
        ASSERT_EQ(push_contact_record(&hit), 0);
        step();
        EXPECT_EQ(get_player(0)->hit_flash[BODY_COUNT + NECK], 0.95f);   // faded once, after the check
    };
    fling_and_hit(1000000);
    ASSERT_EQ(get_player(0)->joints[NECK].broken, JOINT_INTACT);
    const dJointFeedback &fb = get_player(0)->hinge_feedback[NECK];
    double across = 0;   // the neck's hinge turns about x
    for (int k = 1; k < 3; k++)
        across = std::max(across, fb.f1[k] * fb.f1[k] + fb.t1[k] * fb.t1[k]);
    // 25 x percent / 100 < across <= 28.75 x percent / 100
    const int percent = (int)std::ceil(across / 0.25) - 1;
    ASSERT_GT(percent, 0);
    ASSERT_NE(percent, 100);
    ASSERT_LE(across, 0.2875 * percent);

    TearDown();
    SetUp();
    fling_and_hit(percent);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_DISMEMBERED) << "at " << percent << "%: " << across;
}
