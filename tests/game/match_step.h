// A small local stepping loop for the rule tests: what one live world step
// does with the rules (collide, step, empty the group, contact damage, the
// break check, bleeding, the hit-flash fade, the end-of-match test).
#pragma once
#include <cmath>
#include <cstring>
#include "game/collision.h"
#include "game/contact_damage.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_end.h"
#include "game/match_rules.h"
#include "game/world_options.h"
#include "world_fixture.h"

// Rules as the single-player defaults give them, set field by field.
inline void set_single_player_rules(MatchRules *r)
{
    r->matchframes = 500;
    r->turnframe_list[0] = 10;
    r->turnframe_count = 1;
    r->engagedistance = 100;
    r->flags = RULE_FLAG_DISMEMBER;
    r->dismemberthreshold = 100;
    r->players = 2;
    r->places = 1;
}

// One live world step; returns the game-over flag.
inline int rules_step(void)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    const MatchRules *r = get_match_rules();
    apply_pending_wishes();
    w->frame++;
    reset_contact_stats();
    collide_space(g->space);
    dWorldStep(g->world, get_world_options()->stepsize);
    dJointGroupEmpty(g->contact_group);
    if (get_contact_count() > 0)
        contact_damage();
    if (!w->game_over && (r->flags & (RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE)))
        for (int i = 0; i < w->players; i++)
            check_joint_breaks(i);
    fade_hit_flash();
    bleed_dismembered_joints();
    if (!w->game_over)
        match_end_single();
    return w->game_over;
}

class RulesTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        set_single_player_rules(get_match_rules());
        clear_ground_impacts();
        clear_server_result();
        clear_contact_records();
        // As a new game leaves them.
        WorldState *w = get_game_state();
        for (int i = 0; i < MAX_FIGHTERS; i++)
            w->winners[i] = w->losers[i] = -1;
        w->decision_frame = -1;
    }
};

// A record of a contact between two parts, as the near callback makes it.
// f2 is the squared force on the first body.
inline ContactRecord make_record(int fa, int ida, int fb, int idb, double f2, double speed,
                                 int other_kind = GEOM_BODY)
{
    ContactRecord r;
    memset(&r, 0, sizeof r);
    r.feedback.f1[1] = std::sqrt(f2);
    r.fighter[0] = fa;
    r.fighter[1] = fb;
    r.body_id[0] = ida;
    r.body_id[1] = idb;
    r.rel_speed = speed;
    r.other_kind = other_kind;
    return r;
}
