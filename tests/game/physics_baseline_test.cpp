// Pins the physics: a scripted two-fighter match (joint states and grips
// every turn, dismemberment and fracture on, a ghost preview before each
// commit) hashes the position and orientation of every body of both fighters,
// bit for bit, at a few frames. The expected hashes are stored here: a change
// that alters them alters the simulation, and a new value is written only on
// purpose, with the reason in the commit that writes it.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include "match_fixture.h"

namespace {

// FNV-1a over the bytes of every body's position and quaternion.
uint64_t hash_bodies()
{
    uint64_t h = 14695981039346656037ull;
    auto add = [&h](const dReal *v, int n) {
        const unsigned char *b = reinterpret_cast<const unsigned char *>(v);
        for (size_t k = 0; k < n * sizeof(dReal); k++)
            h = (h ^ b[k]) * 1099511628211ull;
    };
    for (int i = 0; i < 2; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            add(dBodyGetPosition(get_player(i)->bodies[b]), 3);
            add(dBodyGetQuaternion(get_player(i)->bodies[b]), 4);
        }
    return h;
}

struct Checkpoint {
    int frame;
    uint64_t hash;
};

const Checkpoint k_expected[] = {
    {50, 0x3978dd6a5093e0daull},
    {150, 0x2c05d7c9d87bc8b6ull},
    {300, 0x12ad27a477e8266cull},
    {500, 0xd0b919d15420d557ull},
};

class PhysicsBaseline : public MatchTest {};

TEST_F(PhysicsBaseline, ScriptedMatchKeepsItsBodiesBitForBit)
{
    MatchRules *r = get_match_rules();
    r->flags |= RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE;
    r->dismemberthreshold = 70;
    r->fracturethreshold = 40;
    WorldState *w = get_game_state();
    uint64_t got[sizeof k_expected / sizeof k_expected[0]] = {};
    size_t next = 0;
    int breaks[3] = {};   // by kind, counted at frame 300
    for (int t = 0; !w->game_over && t < 200; t++) {
        script_turn(t);
        for (int i = 0; i < 2; i++)
            if ((t + i) % 3 != 2)
                toggle_grip(i, (t + i) % 3 ? L_HAND : R_HAND);
        restart_ghost(1);
        tick(3);
        commit_turn(0);
        while (!waiting() && !w->game_over) {
            const int before = w->frame;
            tick();
            if (w->frame == before)
                continue;
            if (w->frame == 300)
                for (int i = 0; i < 2; i++)
                    for (int j = 0; j < JOINT_COUNT; j++)
                        breaks[get_player(i)->joints[j].broken]++;
            if (next < sizeof got / sizeof got[0] && w->frame == k_expected[next].frame)
                got[next++] = hash_bodies();
        }
    }
    ASSERT_EQ(next, sizeof got / sizeof got[0]) << "the match ended at frame " << w->frame;
    // The later hashes pin a dismemberment, a fracture and the blood they shed.
    EXPECT_GT(breaks[JOINT_DISMEMBERED], 0);
    EXPECT_GT(breaks[JOINT_FRACTURED], 0);
    int drops = 0;
    for (int d = 0; d < BLOOD_DROP_COUNT; d++)
        drops += get_blood_drop(d)->life > 0;
    EXPECT_GT(drops, 0);
    for (size_t k = 0; k < next; k++)
        EXPECT_EQ(got[k], k_expected[k].hash) << "frame " << k_expected[k].frame << std::hex
                                              << ": 0x" << got[k];
}

} // namespace
