#include <cmath>
#include <vector>
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/env_objects.h"
#include "game/mod_world.h"
#include "match_step.h"

TEST_F(RulesTest, WeakOrSlowContactsDoNothing)
{
    const ContactRecord weak = make_record(0, R_BICEPS, 1, HEAD, 0.99, 5.0);
    const ContactRecord slow = make_record(0, R_BICEPS, 1, HEAD, 50.0, 0.99);
    ASSERT_EQ(push_contact_record(&weak), 0);
    ASSERT_EQ(push_contact_record(&slow), 0);
    contact_damage();
    EXPECT_EQ(get_contact_count(), 0);
    for (int i = 0; i < 2; i++) {
        const Player *p = get_player(i);
        EXPECT_EQ(p->injury, 0.0f);
        EXPECT_EQ(p->score, 0.0f);
        EXPECT_EQ(p->head_impact, 0.0f);
        for (float f : p->hit_flash)
            EXPECT_EQ(f, 0.0f);
    }
}

TEST_F(RulesTest, HitBetweenFightersMovesWeightTimesForceToInjuryAndScore)
{
    // f2 exactly 1.0 and speed exactly 1.0 count.
    const ContactRecord edge = make_record(0, R_BICEPS, 1, STOMACH, 1.0, 1.0);
    const ContactRecord head = make_record(1, HEAD, 0, 21 + R_ELBOW, 4.0, 3.0);
    push_contact_record(&edge);
    push_contact_record(&head);
    const int cursor = get_blood_cursor();
    contact_damage();
    const Player *p0 = get_player(0), *p1 = get_player(1);
    // Fighter 0: its biceps (20) took 1, its elbow sphere (0) took 4 x 0.
    // Fighter 1: its stomach (50) took 1, its head (100) took 4.
    EXPECT_FLOAT_EQ(p0->injury, 20.0f);
    EXPECT_FLOAT_EQ(p1->injury, 50.0f + 400.0f);
    EXPECT_FLOAT_EQ(p0->score, 50.0f + 400.0f);
    EXPECT_FLOAT_EQ(p1->score, 20.0f);
    EXPECT_EQ(p0->hit_flash[R_BICEPS], 1.0f);
    EXPECT_EQ(p0->hit_flash[21 + R_ELBOW], 1.0f);
    EXPECT_EQ(p1->hit_flash[HEAD], 1.0f);
    EXPECT_EQ(p1->hit_flash[STOMACH], 1.0f);
    EXPECT_FLOAT_EQ(p1->head_impact, 4.0f);
    EXPECT_EQ(p0->head_impact, 0.0f);
    // One blood drop per contact, from the side that took more damage.
    EXPECT_EQ(get_blood_cursor(), cursor + 2);
    EXPECT_EQ(get_blood_drop(cursor)->fighter, 1);
    EXPECT_EQ(get_blood_drop(cursor)->body_id, STOMACH);
    EXPECT_EQ(get_blood_drop(cursor + 1)->fighter, 1);
    EXPECT_EQ(get_blood_drop(cursor + 1)->body_id, HEAD);
    EXPECT_EQ(get_contact_count(), 0);
}

TEST_F(RulesTest, HittingOneselfOrAnObjectCostsOwnScore)
{
    const ContactRecord self = make_record(0, HEAD, 0, R_HAND, 2.0, 2.0);
    const ContactRecord object = make_record(1, BREAST, -1, -1, 3.0, 2.0, GEOM_ENV_OBJECT);
    push_contact_record(&self);
    push_contact_record(&object);
    contact_damage();
    EXPECT_FLOAT_EQ(get_player(0)->injury, 200.0f);
    EXPECT_FLOAT_EQ(get_player(0)->score, -200.0f);
    EXPECT_FLOAT_EQ(get_player(1)->injury, 210.0f);
    EXPECT_FLOAT_EQ(get_player(1)->score, -210.0f);
}

TEST_F(RulesTest, AfterTheGameIsOverHitsFlashButCountNothing)
{
    get_game_state()->game_over = 1;
    const ContactRecord r = make_record(0, HEAD, 1, HEAD, 9.0, 4.0);
    push_contact_record(&r);
    contact_damage();
    EXPECT_EQ(get_player(0)->hit_flash[HEAD], 1.0f);
    EXPECT_EQ(get_player(0)->injury, 0.0f);
    EXPECT_EQ(get_player(1)->score, 0.0f);
}

TEST_F(RulesTest, NetworkDamageCountsFromTheOpeningFramesOn)
{
    get_game_globals()->network_mode = 1;
    get_match_rules()->opening_frames = 10;
    get_game_state()->frame = 9;
    ContactRecord r = make_record(0, HEAD, 1, BREAST, 1.0, 2.0);
    push_contact_record(&r);
    contact_damage();
    EXPECT_EQ(get_player(0)->injury, 0.0f);
    get_game_state()->frame = 10;
    push_contact_record(&r);
    contact_damage();
    EXPECT_FLOAT_EQ(get_player(0)->injury, 100.0f);
    EXPECT_FLOAT_EQ(get_player(1)->score, 100.0f);
}

TEST_F(RulesTest, SixteenRecordsAtMost)
{
    const ContactRecord r = make_record(0, HEAD, 1, HEAD, 0.5, 0.5);
    for (int k = 0; k < CONTACT_RECORDS; k++)
        EXPECT_EQ(push_contact_record(&r), 0);
    EXPECT_EQ(push_contact_record(&r), 1);
    EXPECT_EQ(get_contact_count(), CONTACT_RECORDS);
}

TEST(Dojo, SquareAndCircleBorders)
{
    MatchRules r{};
    EXPECT_EQ(dojo_point_outside(&r, 50.0, 50.0), 0);   // no dojo
    r.dojosize = 100;
    r.dojotype = 0;
    EXPECT_EQ(dojo_point_outside(&r, 1.5, -0.1), 0);
    EXPECT_EQ(dojo_point_outside(&r, 1.51, -0.1), 1);
    EXPECT_EQ(dojo_point_outside(&r, 0.5, -0.1), 0);
    EXPECT_EQ(dojo_point_outside(&r, 0.49, -0.1), 1);
    EXPECT_EQ(dojo_point_outside(&r, 1.0, 0.4), 0);
    EXPECT_EQ(dojo_point_outside(&r, 1.0, 0.41), 1);
    r.dojotype = 1;
    EXPECT_EQ(dojo_point_outside(&r, 2.0, -0.1), 0);
    EXPECT_EQ(dojo_point_outside(&r, 2.01, -0.1), 1);
    EXPECT_EQ(dojo_point_outside(&r, 1.8, 0.5), 0);     // 0.8, 0.6: distance 1.0
    EXPECT_EQ(dojo_point_outside(&r, 1.71, 0.61), 1);
}

TEST(Dojo, PartsThatMayTouchTheGround)
{
    for (int id = 0; id < 41; id++) {
        const bool end = id == 11 || id == 12 || id == 19 || id == 20;
        const bool sphere = id == 31 || id == 32 || id == 39 || id == 40;
        EXPECT_EQ(part_may_touch_ground(0, id), end ? 1 : 0) << id;
        EXPECT_EQ(part_may_touch_ground(1, id), (end || sphere) ? 1 : 0) << id;
        EXPECT_EQ(part_may_touch_ground(2, id), 0) << id;
    }
}

// A foot on the floor at (x, -0.1) with dqflag 1: outside the dojo it
// disqualifies at once.
static void foot_on_floor_at(double x)
{
    ContactRecord r = make_record(0, R_FOOT, -1, -1, 0.0, 0.0, GEOM_FLOOR);
    r.pos[0] = x;
    r.pos[1] = -0.1;
    push_contact_record(&r);
    contact_damage();
}

TEST_F(RulesTest, FootAtDojoBorderIsInsideAndJustBeyondIsOut)
{
    MatchRules *r = get_match_rules();
    r->dojosize = 100;
    r->dojotype = 0;
    r->dqflag = 1;
    r->dqtimeout = 50;
    get_game_state()->frame = 5;
    foot_on_floor_at(1.5);
    EXPECT_EQ(get_player(0)->disqualified, 0);
    EXPECT_EQ(get_ground_impact(0)->frame, -1);
    foot_on_floor_at(1.51);
    const Player *p = get_player(0);
    EXPECT_EQ(p->disqualified, 1);
    EXPECT_FLOAT_EQ(p->injury, 3000.0f);
    EXPECT_FLOAT_EQ(p->score, -3000.0f);
    EXPECT_DOUBLE_EQ(get_game_state()->impact_points[0][0], 1.51);
    EXPECT_EQ(get_ground_impact(0)->frame, 5);
    EXPECT_EQ(get_ground_impact(0)->countdown, GROUND_IMPACT_COUNTDOWN);
    // The match ends at once, by disqualification.
    EXPECT_EQ(match_end_single(), 1);
    EXPECT_EQ(get_game_state()->result_kind, RESULT_BY_DQ);
    EXPECT_EQ(get_game_state()->winners[1], 1);
    EXPECT_EQ(get_game_state()->losers[0], 0);
}

TEST_F(RulesTest, NetworkPlayJudgesOnlyWithLocalJudging)
{
    MatchRules *r = get_match_rules();
    r->dojosize = 100;
    r->dqflag = 1;
    get_game_globals()->network_mode = 1;
    foot_on_floor_at(3.0);
    EXPECT_EQ(get_player(0)->disqualified, 0);
    EXPECT_NE(get_ground_impact(0)->frame, -1);
    set_local_judging(1);
    foot_on_floor_at(3.0);
    EXPECT_EQ(get_player(0)->disqualified, 1);
}

// Whether any record of this step has fighter 0's part against the floor.
static int floor_records_of_fighter0(void)
{
    int n = 0;
    for (int k = 0; k < get_contact_count(); k++) {
        const ContactRecord &c = get_contact_records()[k];
        if (c.other_kind == GEOM_FLOOR && (c.fighter[0] == 0 || c.fighter[1] == 0))
            n++;
    }
    return n;
}

static void collide_and_step(void)
{
    GameGlobals *g = get_game_globals();
    get_game_state()->frame++;
    collide_space(g->space);
    dWorldStep(g->world, get_world_options()->stepsize);
    dJointGroupEmpty(g->contact_group);
}

TEST_F(RulesTest, StandingFeetAreNotRecordedButGroundSpeedGrows)
{
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    apply_pending_wishes();
    int floor_records = 0;
    for (int k = 0; k < 100; k++) {
        collide_and_step();
        floor_records += floor_records_of_fighter0();
        clear_contact_records();
    }
    EXPECT_EQ(floor_records, 0);
    EXPECT_GT(get_player(0)->ground_speed, 0.0f);
    EXPECT_GT(get_contact_stats()[STAT_CALLS], 0);
    EXPECT_GT(get_contact_stats()[STAT_TOUCHING], 0);

    // With a dojo (reaching y 1.4, past the feet) and disqualification off,
    // every foot contact counts.
    get_match_rules()->dojosize = 300;
    collide_and_step();
    EXPECT_GT(floor_records_of_fighter0(), 0);
    clear_contact_records();
    // Inside the dojo with disqualification on, they do not.
    get_match_rules()->flags |= RULE_FLAG_DQ;
    collide_and_step();
    EXPECT_EQ(floor_records_of_fighter0(), 0);
}

TEST_F(RulesTest, CollapsedFighterIsDisqualifiedAfterTheTimeout)
{
    MatchRules *r = get_match_rules();
    r->flags = RULE_FLAG_DQ;
    r->dqtimeout = 20;
    move_player(1, 1.0, -6.0, 2.65);   // well away from fighter 0
    set_all_joint_states(0, MOTOR_RELAX);
    set_all_joint_states(1, MOTOR_HOLD);
    get_game_globals()->selected_player = 0;
    WorldState *w = get_game_state();
    int first_touch = -1, dq_frame = -1;
    for (int k = 0; k < 400 && !w->game_over; k++) {
        rules_step();
        const Player *p = get_player(0);
        if (first_touch < 0 && get_ground_impact(0)->frame >= 0)
            first_touch = get_ground_impact(0)->frame;
        if (p->disqualified && dq_frame < 0)
            dq_frame = w->frame;
    }
    ASSERT_GE(first_touch, 0) << "the relaxed fighter never touched the ground";
    ASSERT_GE(dq_frame, 0);
    EXPECT_GE(dq_frame - first_touch, r->dqtimeout);
    // Ended at once, in the step of the disqualification.
    EXPECT_EQ(w->game_over, 1);
    EXPECT_EQ(w->decision_frame, dq_frame);
    EXPECT_LT(w->frame, r->matchframes);
    EXPECT_EQ(w->result_kind, RESULT_BY_DQ);
    EXPECT_EQ(w->winners[1], 1);
    EXPECT_EQ(w->winners[0], -1);
    EXPECT_EQ(w->losers[0], 0);
    EXPECT_EQ(w->frames_left, 0);
    EXPECT_EQ(get_game_globals()->selected_player, -1);
    // Exactly 3000 moved: ground contacts have no relative speed.
    EXPECT_FLOAT_EQ(get_player(0)->injury, 3000.0f);
    EXPECT_FLOAT_EQ(get_player(0)->score, -3000.0f);
    EXPECT_EQ(get_player(1)->score, 0.0f);
    EXPECT_EQ(w->wins[1], 1);
}

// Launch fighter 1 into fighter 0 and check each step's damage against the
// records it came from.
TEST_F(RulesTest, RealHitsGiveWeightTimesSquaredForce)
{
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    get_match_rules()->flags = 0;
    Player *p1 = get_player(1);
    for (int b = 0; b < BODY_COUNT; b++)
        dBodySetLinearVel(p1->bodies[b], 0, 6.0, 0);
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    double hits = 0;
    apply_pending_wishes();
    for (int k = 0; k < 120; k++) {
        w->frame++;
        collide_space(g->space);
        dWorldStep(g->world, get_world_options()->stepsize);
        dJointGroupEmpty(g->contact_group);
        double injury[2] = {get_player(0)->injury, get_player(1)->injury};
        double score[2] = {get_player(0)->score, get_player(1)->score};
        for (int c = 0; c < get_contact_count(); c++) {
            const ContactRecord &r = get_contact_records()[c];
            const dReal *f = r.feedback.f1;
            const double f2 = f[0] * f[0] + f[1] * f[1] + f[2] * f[2];
            if (f2 < 1.0 || r.rel_speed < 1.0)
                continue;
            ASSERT_TRUE(r.fighter[0] >= 0 && r.fighter[1] >= 0 && r.fighter[0] != r.fighter[1])
                << "only hits between the fighters count here";
            for (int s = 0; s < 2; s++) {
                const float d = (float)(part_weight(r.body_id[s]) * f2);
                injury[r.fighter[s]] += d;
                score[r.fighter[1 - s]] += d;
                hits += d;
            }
        }
        contact_damage();
        for (int i = 0; i < 2; i++) {
            EXPECT_NEAR(get_player(i)->injury, injury[i], 1e-3 * (1 + injury[i]));
            EXPECT_NEAR(get_player(i)->score, score[i], 1e-3 * (1 + std::fabs(score[i])));
        }
    }
    EXPECT_GT(hits, 0.0) << "the fighters never hit each other";
}

TEST_F(RulesTest, DamageModeTwoRecordsNoHitsBetweenFighters)
{
    get_match_rules()->damage = 2;
    Player *p1 = get_player(1);
    for (int b = 0; b < BODY_COUNT; b++)
        dBodySetLinearVel(p1->bodies[b], 0, 6.0, 0);
    int between = 0, same = 0;
    for (int k = 0; k < 120; k++) {
        collide_and_step();
        for (int c = 0; c < get_contact_count(); c++) {
            const ContactRecord &r = get_contact_records()[c];
            if (r.fighter[0] >= 0 && r.fighter[1] >= 0)
                (r.fighter[0] == r.fighter[1] ? same : between)++;
        }
        clear_contact_records();
    }
    EXPECT_EQ(between, 0);
    EXPECT_GT(get_contact_stats()[STAT_FIGHTERS], 0) << "the fighters never met";
    (void)same;
}

// A harmful static box resting on fighter 0's head.
static void add_box_on_head(ModWorld *m, uint32_t flag)
{
    EnvObject &o = m->env_objects[0];
    env_object_reset(&o);
    o.defined = 1;
    o.flag = ENV_FLAG_STATIC | flag;
    const BodyDef &head = builtin_body_table()[HEAD];
    o.pos[0] = head.pos[0];
    o.pos[1] = head.pos[1];
    o.pos[2] = head.pos[2] + 0.25;
    o.sides[0] = o.sides[1] = o.sides[2] = 0.3;
}

static int neck_mark_after_steps(void)
{
    set_all_joint_states(0, MOTOR_HOLD);
    apply_pending_wishes();
    for (int k = 0; k < 10; k++) {
        collide_and_step();
        clear_contact_records();
        if (get_player(0)->joints[NECK].hit_mark)
            return 1;
    }
    return 0;
}

class HarmTest : public RulesTest {
protected:
    void rebuild(uint32_t object_flag, int head_flag)
    {
        ModWorld m = *get_mod_world();
        add_box_on_head(&m, object_flag);
        get_default_body_table()[HEAD].flag = head_flag;
        init_world(&m);
        apply_world_forces();
    }
};

TEST_F(HarmTest, HarmfulObjectMarksTheNeckUnlessProtectedOrDismembermentOff)
{
    rebuild(ENV_FLAG_HARMFUL_B, 0);
    EXPECT_EQ(neck_mark_after_steps(), 1);
    // The mark breaks the joint at the next check.
    check_joint_breaks(0);
    EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_DISMEMBERED);
    EXPECT_EQ(get_player(0)->joints[NECK].hit_mark, 0);
}

TEST_F(HarmTest, ProtectedHeadIsNotMarked)
{
    rebuild(ENV_FLAG_HARMFUL_A, BODY_FLAG_PROTECTED);
    EXPECT_EQ(neck_mark_after_steps(), 0);
}

TEST_F(HarmTest, NoMarkWithoutDismemberment)
{
    rebuild(ENV_FLAG_HARMFUL_A, 0);
    get_match_rules()->flags = 0;
    EXPECT_EQ(neck_mark_after_steps(), 0);
}

TEST_F(HarmTest, HarmlessObjectMarksNothing)
{
    rebuild(0, 0);
    EXPECT_EQ(neck_mark_after_steps(), 0);
}

TEST_F(RulesTest, HitFlashFadesInTheStepNotTheDrawing)
{
    const ContactRecord r = make_record(0, 21 + NECK, 1, HEAD, 4.0, 2.0);
    push_contact_record(&r);
    contact_damage();
    const double angle = 0;
    EXPECT_NEAR(dismember_threshold(0, NECK, angle), 25.0, 1e-4);
    fade_hit_flash();
    EXPECT_FLOAT_EQ(get_player(0)->hit_flash[21 + NECK], 0.95f);
    EXPECT_NEAR(dismember_threshold(0, NECK, angle), 100 - 0.95 * 75, 1e-4);
    for (int k = 0; k < 300; k++)
        fade_hit_flash();
    EXPECT_NEAR(dismember_threshold(0, NECK, angle), 100.0, 1e-3);
}
