#include <cmath>
#include <vector>
#include "game/body_defs.h"
#include "game/env_objects.h"
#include "game/mod_world.h"
#include "rules_fixture.h"

// Each side of a record takes its part's weight times the squared force as
// injury, scored to the other fighter; weak (f2 < 1) or slow (speed < 1)
// contacts count nothing; a fighter hitting itself or an object pays from its
// own score; after the game is over hits only flash.
TEST_F(RulesTest, ContactRecordsMoveOwnOrNoDamage)
{
    struct Case {
        const char *what;
        int game_over;
        ContactRecord rec[2];
        float injury[2], score[2];
    } cases[] = {
        {"between the fighters", 0,   // head 100, breast 70, right hand 0
         {make_record(0, HEAD, 1, BREAST, 2.0, 2.0), make_record(1, R_HAND, 0, HEAD, 3.0, 1.5)},
         {500, 140}, {140, 500}},
        {"weak and slow", 0,
         {make_record(0, R_BICEPS, 1, HEAD, 0.99, 5.0), make_record(0, R_BICEPS, 1, HEAD, 50.0, 0.99)},
         {0, 0}, {0, 0}},
        {"self and object", 0,
         {make_record(0, HEAD, 0, R_HAND, 2.0, 2.0), make_record(1, BREAST, -1, -1, 3.0, 2.0, GEOM_ENV_OBJECT)},
         {200, 210}, {-200, -210}},
        {"game over", 1,
         {make_record(0, HEAD, 1, HEAD, 9.0, 4.0), make_record(0, HEAD, 1, HEAD, 9.0, 4.0)},
         {0, 0}, {0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 2; i++) {
            Player *p = get_player(i);
            p->injury = p->score = p->head_impact = 0;
        }
        get_game_state()->game_over = c.game_over;
        for (const ContactRecord &r : c.rec)
            ASSERT_EQ(push_contact_record(&r), 0);
        contact_damage();
        EXPECT_EQ(get_contact_count(), 0);
        for (int i = 0; i < 2; i++) {
            EXPECT_FLOAT_EQ(get_player(i)->injury, c.injury[i]);
            EXPECT_FLOAT_EQ(get_player(i)->score, c.score[i]);
        }
        if (c.game_over) {
            EXPECT_EQ(get_player(0)->hit_flash[HEAD], 1.0f);
        }
    }
    // Sixteen records a step at most.
    const ContactRecord r = make_record(0, HEAD, 1, HEAD, 0.5, 0.5);
    for (int k = 0; k < CONTACT_RECORDS; k++)
        EXPECT_EQ(push_contact_record(&r), 0);
    EXPECT_EQ(push_contact_record(&r), 1);
}

TEST(Dojo, SquareAndCircleBorders)
{
    struct { int size, type; double x, y; int outside; } cases[] = {
        {0, 0, 50.0, 50.0, 0},   // no dojo
        {100, 0, 1.5, 0.85, 0},  {100, 0, 1.51, 0.85, 1}, {100, 0, 0.5, 0.85, 0},
        {100, 0, 0.49, 0.85, 1}, {100, 0, 1.0, 1.349, 0}, {100, 0, 1.0, 1.36, 1},
        {100, 0, 1.0, 0.351, 0}, {100, 0, 1.0, 0.34, 1},
        {100, 1, 2.0, 0.85, 0},  {100, 1, 2.01, 0.85, 1},
        {100, 1, 1.79, 1.44, 0}, // 0.79, 0.59 from the centre: just inside 1.0
        {100, 1, 1.71, 1.56, 1},
        {100, 7, 50.0, 50.0, 0}, // no such shape: no dojo
    };
    for (const auto &c : cases) {
        MatchRules r{};
        r.dojosize = c.size;
        r.dojotype = c.type;
        EXPECT_EQ(dojo_point_outside(&r, c.x, c.y), c.outside) << c.type << " " << c.x << " " << c.y;
    }
}

TEST_F(RulesTest, CollapsedFighterIsDisqualifiedAfterTheTimeout)
{
    MatchRules *r = get_match_rules();
    r->flags = RULE_FLAG_DQ;
    r->dqtimeout = 20;
    move_player(1, 1.0, -6.0, 2.65);   // well away from fighter 0
    set_all_joint_states(0, MOTOR_RELAX);
    set_all_joint_states(1, MOTOR_HOLD);
    WorldState *w = get_game_state();
    int first_touch = -1, dq_frame = -1;
    for (int k = 0; k < 400 && !w->game_over; k++) {
        step();
        if (first_touch < 0 && get_ground_impact(0)->frame >= 0)
            first_touch = get_ground_impact(0)->frame;
        if (get_player(0)->disqualified && dq_frame < 0)
            dq_frame = w->frame;
    }
    ASSERT_GE(first_touch, 0) << "the relaxed fighter never touched the ground";
    ASSERT_GE(dq_frame, 0);
    EXPECT_GE(dq_frame - first_touch, r->dqtimeout);
    // Ended in the step of the disqualification, before the last frame:
    // over, decided and ended there, by disqualification, 1 wins (a win
    // counted), 0 loses.
    EXPECT_LT(w->frame, r->matchframes);
    EXPECT_EQ(std::vector<int>({w->game_over, w->decision_frame, w->end_frame, w->result_kind, w->winners[0],
                                w->winners[1], w->wins[1], w->losers[0]}),
              std::vector<int>({1, dq_frame, dq_frame, RESULT_BY_DQ, -1, 1, 1, 0}));
    // Exactly 3000 moved: ground contacts have no relative speed.
    EXPECT_FLOAT_EQ(get_player(0)->injury, 3000.0f);
    EXPECT_FLOAT_EQ(get_player(0)->score, -3000.0f);
    EXPECT_EQ(get_player(1)->score, 0.0f);
}

// Fighter 1 launched into fighter 0: their real contacts move injury (no
// hit between them is recorded with damage mode 2).
TEST_F(RulesTest, RealHitsBetweenTheFightersCount)
{
    for (int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        free_game();
        SetUp();
        get_match_rules()->flags = 0;
        get_match_rules()->damage = mode;
        set_all_joint_states(0, MOTOR_HOLD);
        set_all_joint_states(1, MOTOR_HOLD);
        apply_pending_wishes();
        for (int b = 0; b < BODY_COUNT; b++)
            dBodySetLinearVel(get_player(1)->bodies[b], 0, 6.0, 0);
        int between = 0, hard = 0;
        for (int k = 0; k < 120; k++) {
            world_physics_step();
            for (int c = 0; c < get_contact_count(); c++) {
                const ContactRecord &r = get_contact_records()[c];
                const dReal *f = r.feedback.f1;
                const bool pair = r.fighter[0] >= 0 && r.fighter[1] >= 0 && r.fighter[0] != r.fighter[1];
                between += pair;
                hard += pair && f[0] * f[0] + f[1] * f[1] + f[2] * f[2] >= 1.0 && r.rel_speed >= 1.0;
            }
            contact_damage();
        }
        EXPECT_GT(get_contact_stats()[STAT_FIGHTERS], 0) << "the fighters never met";
        if (mode == 0) {
            EXPECT_GT(hard, 0) << "the fighters never hit each other";
            EXPECT_GT(get_player(0)->injury + get_player(1)->injury, 0.0f);
        } else {
            EXPECT_EQ(between, 0);
        }
    }
}

// A static box resting on fighter 0's head marks the neck (which then breaks
// at the next check) only when harmful, the head unprotected and
// dismemberment on.
TEST_F(RulesTest, HarmfulObjectMarksTheNeck)
{
    struct { const char *what; uint32_t object_flag; int head_flag, rule_flags, marked; } cases[] = {
        {"harmful", ENV_FLAG_HARMFUL_B, 0, RULE_FLAG_DISMEMBER, 1},
        {"protected head", ENV_FLAG_HARMFUL_A, BODY_FLAG_PROTECTED, RULE_FLAG_DISMEMBER, 0},
        {"no dismemberment", ENV_FLAG_HARMFUL_A, 0, 0, 0},
        {"harmless", 0, 0, RULE_FLAG_DISMEMBER, 0},
    };
    const auto head_flag = get_default_body_table()[HEAD].flag;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ModWorld m = *get_mod_world();
        EnvObject &o = m.env_objects[0];
        env_object_reset(&o);
        o.defined = 1;
        o.flag = ENV_FLAG_STATIC | c.object_flag;
        const BodyDef &head = builtin_body_table()[HEAD];
        o.pos[0] = head.pos[0];
        o.pos[1] = head.pos[1];
        o.pos[2] = head.pos[2] + 0.25;
        o.sides[0] = o.sides[1] = o.sides[2] = 0.3;
        get_default_body_table()[HEAD].flag = c.head_flag;
        init_world(&m);
        apply_world_forces();
        get_match_rules()->flags = c.rule_flags;
        set_all_joint_states(0, MOTOR_HOLD);
        apply_pending_wishes();
        int marked = 0;
        for (int k = 0; k < 10 && !marked; k++) {
            world_physics_step();
            clear_contact_records();
            marked = get_player(0)->joints[NECK].hit_mark;
        }
        EXPECT_EQ(marked, c.marked);
        if (marked) {
            check_joint_breaks(0);
            EXPECT_EQ(get_player(0)->joints[NECK].broken, JOINT_DISMEMBERED);
            EXPECT_EQ(get_player(0)->joints[NECK].hit_mark, 0);
        }
        get_default_body_table()[HEAD].flag = head_flag;
    }
}
