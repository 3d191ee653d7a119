// Shared set-up of the rule tests: the built-in world running under the
// single-play rules, stepped by the game's own live step (step_world).
#pragma once
#include <cmath>
#include <cstring>
#include "game/collision.h"
#include "game/contact_damage.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_end.h"
#include "game/match_rules.h"
#include "game/turn_cycle.h"
#include "world_fixture.h"

class RulesTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        fill_default_rules(0, get_match_rules());   // 500 frames, dismemberment on
        clear_ground_impacts();
        clear_server_result();
        clear_contact_records();
        WorldState *w = get_game_state();
        for (int i = 0; i < MAX_FIGHTERS; i++)
            w->winners[i] = w->losers[i] = -1;
        w->decision_frame = -1;
    }
    // One live world step of the game; returns the game-over flag.
    static int step()
    {
        step_world(0);
        return get_game_state()->game_over;
    }
};

// A contact record as the near callback makes it; f2 is the squared force
// on the first body.
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
