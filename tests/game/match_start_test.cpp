// Starting a match: the fallback for a missing mod, the default start and
// the engage placement.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/base/text.h"
#include "game/dojo.h"
#include "game/env_objects.h"
#include "game/game_callbacks.h"
#include "game/match_start.h"
#include "game/rpg_stats.h"
#include "game/stance.h"
#include "game/joints.h"
#include "game/turn_cycle.h"
#include "gui/services/chat_log.h"
#include "support/test_support.h"
#include "match_setup.h"
#include "world_fixture.h"

namespace {

class MatchStart : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        fill_default_rules(0, get_next_match_rules());
        rules_ = *get_next_match_rules();
    }
    // Marks the physics world so that a rebuild can be told apart.
    static void mark_world() { dWorldSetQuickStepNumIterations(get_game_globals()->world, 7); }
    static bool world_marked() { return dWorldGetQuickStepNumIterations(get_game_globals()->world) == 7; }
    MatchRules rules_;
};

} // namespace

TEST_F(MatchStart, MissingModFallsBackToClassic)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    n_strncpyz(rules_.mod, "nosuchmod.kxm", sizeof rules_.mod);
    rules_.matchframes = 777;
    console_capture_open("echo.txt");
    new_match(0, 0, &rules_, 0);
    console_capture_close();
    const std::string echo = kxtest::read_file("echo.txt");
    EXPECT_NE(echo.find("Unable to load mod nosuchmod.kxm"), std::string::npos) << echo;
    EXPECT_STREQ(rules_.mod, "classic");
    EXPECT_STREQ(get_match_rules()->mod, "classic");
    EXPECT_EQ(get_game_globals()->mod_load_failed, 1);
    EXPECT_EQ(get_game_globals()->built_players, 4);
    // The failure forces a rebuild at the next match even with equal rules.
    mark_world();
    MatchRules again = *get_match_rules();
    new_match(0, 0, &again, 0);
    EXPECT_FALSE(world_marked());
}

namespace {

// Where the fighter looks, flat on the floor: up x (right hand - left hand).
void facing(int i, double f[2])
{
    const dReal *r = dBodyGetPosition(get_player(i)->bodies[R_HAND]);
    const dReal *l = dBodyGetPosition(get_player(i)->bodies[L_HAND]);
    const double rx = r[0] - l[0], ry = r[1] - l[1];
    const double n = std::sqrt(rx * rx + ry * ry);
    f[0] = -ry / n;
    f[1] = rx / n;
}

// 1 when any geom of fighter a (bodies and joint spheres) touches any of b.
bool fighters_touch(int a, int b)
{
    std::vector<dGeomID> ga, gb;
    for (int k = 0; k < BODY_COUNT; k++) {
        ga.push_back(get_player(a)->body_geoms[k]);
        gb.push_back(get_player(b)->body_geoms[k]);
    }
    for (int j = 0; j < JOINT_COUNT; j++) {
        ga.push_back(get_player(a)->joint_geoms[j]);
        gb.push_back(get_player(b)->joint_geoms[j]);
    }
    dContactGeom c[4];
    for (dGeomID x : ga)
        for (dGeomID y : gb)
            if (dCollide(x, y, 4, c, sizeof c[0]) > 0)
                return true;
    return false;
}

} // namespace

// The default start of a match: two fighters apart, face to face, and both
// still standing after a few hundred steps of holding every joint.
TEST_F(MatchStart, DefaultStartStandsTwoFightersFaceToFace)
{
    new_match(0, 0, &rules_, 0);
    ASSERT_EQ(get_game_state()->players, 2);
    EXPECT_FALSE(fighters_touch(0, 1));
    double f0[2], f1[2];
    facing(0, f0);
    facing(1, f1);
    const dReal *h0 = dBodyGetPosition(get_player(0)->bodies[HEAD]);
    const dReal *h1 = dBodyGetPosition(get_player(1)->bodies[HEAD]);
    const double dx = h1[0] - h0[0], dy = h1[1] - h0[1];
    const double dist = std::sqrt(dx * dx + dy * dy);
    EXPECT_NEAR(dist, 1.0, 1e-9);
    EXPECT_GT((f0[0] * dx + f0[1] * dy) / dist, 0.999);    // 0 looks at 1
    EXPECT_GT(-(f1[0] * dx + f1[1] * dy) / dist, 0.999);   // 1 looks at 0

    const double start_height = h0[2];
    for (int i = 0; i < 2; i++)
        set_all_joint_states(i, MOTOR_HOLD);
    start_turn_frames(300);
    for (int k = 0; k < 300; k++)
        run_match_tick(0);
    EXPECT_EQ(get_game_state()->frame, 300);
    for (int i = 0; i < 2; i++) {
        const dReal *h = dBodyGetPosition(get_player(i)->bodies[HEAD]);
        EXPECT_GT(h[2], start_height - 0.2) << "fighter " << i << " fell";
        EXPECT_EQ(get_player(i)->injury, 0.0f) << i;
    }
    EXPECT_FALSE(fighters_touch(0, 1));
}

TEST_F(MatchStart, ExplicitPlacementAndHeight)
{
    rules_.engageheight = 50;
    rules_.engagedistance = 300;
    new_match(0, 0, &rules_, 0);
    const StanceSlot *s0 = get_stance_slot(get_player(0)->stance_slot);
    EXPECT_NEAR(dBodyGetPosition(get_player(0)->bodies[HEAD])[1], s0->pos[HEAD][1] + 1.5, 1e-9);
    EXPECT_NEAR(dBodyGetPosition(get_player(0)->bodies[HEAD])[2], s0->pos[HEAD][2] + 0.49, 1e-9);

    MatchRules r = *get_match_rules();
    parse_engage_line(" 1.0 2.0 0.5 0 0 0", 0, &r);
    parse_engage_line(" -1.0 0.0 0.0 0 0 90", 1, &r);
    ASSERT_EQ(r.engage_set, 1);
    new_match(0, 0, &r, 0);
    const dReal *h0 = dBodyGetPosition(get_player(0)->bodies[HEAD]);
    EXPECT_NEAR(h0[0], s0->pos[HEAD][0] + 1.0, 1e-6);
    EXPECT_NEAR(h0[1], s0->pos[HEAD][1] + 2.0, 1e-6);
    EXPECT_NEAR(h0[2], s0->pos[HEAD][2] + 0.5, 1e-6);
    // Fighter 1 turned by 90 degrees, its head kept where the offset put it.
    const StanceSlot *s1 = get_stance_slot(get_player(1)->stance_slot);
    const dReal *h1 = dBodyGetPosition(get_player(1)->bodies[HEAD]);
    EXPECT_NEAR(h1[0], s1->pos[HEAD][0] - 1.0, 1e-6);
    EXPECT_NEAR(h1[1], s1->pos[HEAD][1], 1e-6);
}

// Every engage rotation starts the two fighters apart, centred where the
// dojo is, and a first turn in which nobody moves hurts nobody.
TEST_F(MatchStart, EveryEngageRotationStartsTheFightersApart)
{
    for (int rotation = 0; rotation < 360; rotation += 45) {
        SCOPED_TRACE(rotation);
        rules_.engagerotation = rotation;
        new_match(0, 0, &rules_, 0);
        ASSERT_EQ(get_match_rules()->engagerotation, rotation);
        EXPECT_FALSE(fighters_touch(0, 1));
        const dReal *h0 = dBodyGetPosition(get_player(0)->bodies[HEAD]);
        const dReal *h1 = dBodyGetPosition(get_player(1)->bodies[HEAD]);
        EXPECT_NEAR((h0[0] + h1[0]) / 2, DOJO_CENTRE[0], 1e-6);
        EXPECT_NEAR((h0[1] + h1[1]) / 2, DOJO_CENTRE[1], 1e-6);
        EXPECT_NEAR(std::hypot(h1[0] - h0[0], h1[1] - h0[1]), 1.0, 1e-9);
        commit_turn(0);
        for (int k = 0; k < 100 && !match_waiting(); k++)
            run_match_tick(0);
        EXPECT_EQ(get_game_state()->frame, get_match_rules()->turnframe_list[0]);
        for (int i = 0; i < 2; i++)
            EXPECT_EQ(get_player(i)->injury, 0.0f) << "fighter " << i;
    }
}

namespace {

// Every body's position and orientation, its position taken from the head.
struct Pose {
    double pos[BODY_COUNT][3];
    dMatrix3 rot[BODY_COUNT];
};

Pose pose_from_head(int i)
{
    Pose p;
    const dReal *h = dBodyGetPosition(get_player(i)->bodies[HEAD]);
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *x = dBodyGetPosition(get_player(i)->bodies[b]);
        for (int c = 0; c < 3; c++)
            p.pos[b][c] = x[c] - h[c];
        memcpy(p.rot[b], dBodyGetRotation(get_player(i)->bodies[b]), sizeof p.rot[b]);
    }
    return p;
}

// The chest's long side (its box's x axis) against the line from the left
// hand to the right hand, flat on the floor: 1 when they are parallel.
double chest_along_hands(int i)
{
    const dReal *R = dBodyGetRotation(get_player(i)->bodies[CHEST]);
    const dReal *r = dBodyGetPosition(get_player(i)->bodies[R_HAND]);
    const dReal *l = dBodyGetPosition(get_player(i)->bodies[L_HAND]);
    const double ax = R[0], ay = R[4], hx = r[0] - l[0], hy = r[1] - l[1];
    return std::fabs(ax * hx + ay * hy) / (std::hypot(ax, ay) * std::hypot(hx, hy));
}

} // namespace

// An explicit placement turns the fighter as one piece about its head: at
// every heading the bodies are those of heading 0 turned by it, places and
// orientations alike.
TEST_F(MatchStart, ExplicitHeadingTurnsTheWholeFighterAboutItsHead)
{
    MatchRules r = rules_;
    parse_engage_line(" 0.5 0.0 0.0 0 0 0", 0, &r);
    parse_engage_line(" 0.0 -3.0 0.0 0 0 180", 1, &r);
    new_match(0, 0, &r, 0);
    const Pose still = pose_from_head(0);
    const dReal *h = dBodyGetPosition(get_player(0)->bodies[HEAD]);
    const double head[3] = {h[0], h[1], h[2]};
    EXPECT_GT(chest_along_hands(0), 0.999);
    for (int heading : {90, 45, 270, -90, 180}) {
        SCOPED_TRACE(heading);
        char line[64];
        snprintf(line, sizeof line, " 0.5 0.0 0.0 0 0 %d", heading);
        parse_engage_line(line, 0, &r);
        new_match(0, 0, &r, 0);
        const Pose turned = pose_from_head(0);
        const dReal *h2 = dBodyGetPosition(get_player(0)->bodies[HEAD]);
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(h2[c], head[c], 1e-9);
        const double a = heading * M_PI / 180.0, cs = std::cos(a), sn = std::sin(a);
        for (int b = 0; b < BODY_COUNT; b++) {
            const double *p = still.pos[b], *q = turned.pos[b];
            EXPECT_NEAR(q[0], cs * p[0] - sn * p[1], 1e-9) << b;
            EXPECT_NEAR(q[1], sn * p[0] + cs * p[1], 1e-9) << b;
            EXPECT_NEAR(q[2], p[2], 1e-9) << b;
            for (int col = 0; col < 3; col++) {
                const dReal *R0 = still.rot[b], *R1 = turned.rot[b];
                EXPECT_NEAR(R1[col], cs * R0[col] - sn * R0[4 + col], 1e-9) << b;
                EXPECT_NEAR(R1[4 + col], sn * R0[col] + cs * R0[4 + col], 1e-9) << b;
                EXPECT_NEAR(R1[8 + col], R0[8 + col], 1e-9) << b;
            }
        }
        EXPECT_GT(chest_along_hands(0), 0.999);
    }
}

// The worlds a match is built from, each a rebuild: an rpg match shaped by
// an overlay and the statistics, a named mod, and the built-in world again.
TEST_F(MatchStart, RpgAndNamedModWorldsAndTheWayBack)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    for (const char *d : {"custom", "custom/Beta", "data", "data/mod"})
        mkdir(d, 0755);
    kxtest::write_file("custom/Beta/rpg.kxm", "joint neck\nstrength 3\nbody head\nsides 0.3\n");
    kxtest::write_file("data/mod/arena.kxm", "env_obj 1\npos 0 3 0.5\ngamerule\nmatchframes 321\n");
    set_player_name(0, "Alpha");
    set_player_name(1, "Beta");
    const int32_t alpha[RPG_STATS] = {200, 40, 150, 110, 110, 110}, beta[RPG_STATS] = {0, 0, 200, 0, 0, 0};
    memcpy(get_rpg_stats(0)->value, alpha, sizeof alpha);
    memcpy(get_rpg_stats(1)->value, beta, sizeof beta);
    const double plain_mass = get_player(0)->total_mass;
    rules_.rpg = 1;
    new_match(0, 0, &rules_, 0);
    clear_rpg_stats();
    const JointDef &a = get_player(0)->joint_defs[NECK], &b = get_player(1)->joint_defs[NECK];
    EXPECT_EQ(std::vector<float>({a.velocity, a.strength, (float)a.dm_threshold, b.strength}),
              std::vector<float>({100, 1.5f, 40, 6}));   // Beta's: the overlay's 3, doubled
    EXPECT_GT(get_player(0)->total_mass, plain_mass * 1.2);
    EXPECT_NEAR(dGeomSphereGetRadius(get_player(1)->body_geoms[HEAD]), 0.3, 1e-6);

    MatchRules r = rules_;
    n_strncpyz(r.mod, "arena.kxm", sizeof r.mod);
    new_match(0, 0, &r, 0);
    EXPECT_NE(get_env_object(0), nullptr);
    EXPECT_EQ(get_match_rules()->matchframes, 321);
    EXPECT_NEAR(dGeomSphereGetRadius(get_player(1)->body_geoms[HEAD]), 0.2, 1e-6);

    n_strncpyz(r.mod, "Classic.KXM", sizeof r.mod);
    new_match(0, 0, &r, 0);
    EXPECT_EQ(get_env_object(0), nullptr);
    EXPECT_EQ(get_match_rules()->matchframes, rules_.matchframes);
    EXPECT_NEAR(get_player(0)->total_mass, plain_mass, 1e-9);
}

// The game started again in the same process (free_game, init_game) starts
// as the first one did: a match in the mod the last game played loads it
// again, and nothing of the last game server's match is left.
TEST_F(MatchStart, GameStartedAgainBuildsTheLastGamesModAgain)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    MatchRules r;
    ASSERT_EQ(start_object_arena_match(&r), 0);
    ASSERT_NE(get_env_object(0), nullptr);
    GameGlobals *g = get_game_globals();
    g->network_mode = 1;
    g->bouts_present = 2;
    n_strncpyz(get_bout(0)->name, "ann", BOUT_NAME_SIZE);
    set_fight_name("last fight");
    set_author("ann");

    free_game();
    ASSERT_EQ(init_game(), 0);
    EXPECT_EQ(std::vector<int>({g->network_mode, g->bouts_present, g->mod_load_failed, g->loaded_mod[0],
                                g->fight_name[0], g->author[0], get_bout(0)->name[0]}),
              std::vector<int>({0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(get_env_object(0), nullptr);
    new_match(0, 0, &r, 0);
    EXPECT_NE(get_env_object(0), nullptr);
    EXPECT_STREQ(g->loaded_mod, "arena.kxm");
}

namespace {
std::string g_printed;
void keep_centerprint(WorldState *, int, int, int seconds, const char *l1, const char *l2, const char *)
{
    g_printed = std::to_string(seconds) + "|" + l1 + "|" + l2;
}
} // namespace

// Other than two fighters (the game holds at most two): a lone fighter of a
// network match stands on the circle, turned by the rules, and is announced.
TEST_F(MatchStart, LoneFighterStandsOnTheCircleAndIsAnnounced)
{
    game_callbacks()->centerprint = keep_centerprint;
    n_strncpyz(get_bout(0)->name, "Solo", sizeof get_bout(0)->name);
    rules_.players = 1;
    rules_.engagerotation = 90;
    new_match(1, 0, &rules_, 0);
    game_callbacks()->centerprint = nullptr;
    get_game_globals()->network_mode = 0;
    clear_bouts();
    ASSERT_EQ(fighter_count(), 1);
    EXPECT_EQ(g_printed, "5|Solo|");
    const StanceSlot *s = get_stance_slot(get_player(0)->stance_slot);
    EXPECT_NEAR(dBodyGetPosition(get_player(0)->bodies[HEAD])[0], s->pos[HEAD][0] + 0.5, 1e-6);
    double f[2];
    facing(0, f);
    EXPECT_NEAR(std::fabs(f[0]), 1.0, 1e-6);   // a quarter turn from facing along y
}
