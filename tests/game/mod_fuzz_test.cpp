// Seeded mutation fuzzing of the mod loaders: mutated mod files through
// load_mod and load_rpg_mod, then a check that the parser, the loaded
// record and both players' tables are still in range, and now and then a
// match started on the mod and played for a few turns.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>
#include "app/base/text.h"
#include "game/collision.h"
#include "game/world_physics.h"
#include "game/env_objects.h"
#include "game/match_start.h"
#include "game/pose_check.h"
#include "child_match.h"
#include "match_setup.h"
#include "mod_test_util.h"

namespace {

// Mod files loaded in the default run; `make fuzz` runs KX_FUZZ_SCALE times
// as many.
constexpr long FUZZ_FILES = 100000;

long fuzz_files() { return FUZZ_FILES * kxtest::fuzz_scale(); }

const char *const k_seed_lines[] = {
    "version 3", "message hello", "world", "color 0.5 0.6 0.7", "gravity 0 0 -5", "friction 500", "blood",
    "hold", "hold_active", "relax", "relax_active", "body head", "body r_hand", "body l_foot", "shape box",
    "shape sphere", "shape cylinder", "sides 0.3 0.25 0.2", "sides 0.2", "alt_sides 0.35 0.12 0.18",
    "pos 1 0.85 2.7", "rot 90 0 0", "density 0.5", "force 0 0 1", "thrust 10 0 0 2", "material steel",
    "material flesh", "flag 2", "flag 8", "radius 0.15", "joint neck", "joint l_axilla", "joint r_ankle",
    "axis 0 1 0", "range 0.8 -0.4", "strength 2", "velocity 30", "dm_threshold 50", "player 0", "player 1",
    "env_obj 1", "env_obj 2", "env_obj 16", "mass 2", "color 1 0 0 0.5", "visible 1", "visible 0",
    "bounce 0.3", "env_obj_joint 1 1 2", "env_obj_joint 16 2 16", "gamerule", "matchframes 1200",
    "turnframes 10,20", "gravity 0 0", "sumo 1", "mod classic", "engageplayerpos 1,2,3,4,5,6", "# comment", "",
};

const char *const k_numbers[] = {"-1", "0", "1", "2", "15", "16", "17", "20", "21", "-0", "1e39", "-1e39",
                                 "1e-45", "nan", "inf", "-inf", "2147483648", "-2147483649", "0x10", "3.4e38",
                                 "0.000001", "99999999999999999999", "1,2", ".", "0.001", "0.01", "30", "100",
                                 "1000", "1e30", "1e-30"};

const char *const k_words[] = {"body", "joint", "env_obj", "env_obj_joint", "player", "gamerule", "world",
                               "sides", "pos", "rot", "range", "thrust", "visible", "radius", "../x", "%s%n"};

std::string mutate(std::mt19937 &rng, std::string line)
{
    const int edits = 1 + (int)(rng() % 3);
    for (int e = 0; e < edits; e++) {
        const size_t at = line.empty() ? 0 : rng() % (line.size() + 1);
        switch (rng() % 9) {
        case 0: if (!line.empty() && at < line.size()) line[at] = (char)(rng() & 0xff); break;
        case 1: line.insert(at, 1, (char)(rng() & 0xff)); break;
        case 2: if (at < line.size()) line.erase(at, 1 + rng() % 4); break;
        case 3: line.insert(at, std::string(" ") + k_numbers[rng() % (sizeof k_numbers / sizeof *k_numbers)]); break;
        case 4: line = std::string(k_words[rng() % (sizeof k_words / sizeof *k_words)]) + " " + line; break;
        case 5: line.insert(at, (rng() % 2) ? "\r" : "\t"); break;
        case 6: line.insert(at, std::string(rng() % 8 == 0 ? 2040 + rng() % 20 : 1 + rng() % 40, ' ')); break;
        case 7: if (at < line.size()) line = line.substr(0, at); break;
        default: line += " " + line; break;
        }
    }
    return line;
}

std::string fuzz_file(std::mt19937 &rng)
{
    std::string text;
    const int n = 1 + (int)(rng() % 10);
    for (int i = 0; i < n; i++) {
        std::string line = k_seed_lines[rng() % (sizeof k_seed_lines / sizeof *k_seed_lines)];
        if (rng() % 3 != 0)
            line = mutate(rng, line);
        text += line;
        text += (rng() % 4 == 0) ? "\r\n" : "\n";
    }
    if (rng() % 16 == 0)
        text += std::string(3000 + rng() % 3000, 'q');   // an over-long last line without a line end
    return text;
}

template <typename T> bool finite(const T *v, int n)
{
    return std::all_of(v, v + n, [](T x) { return std::isfinite(x); });
}

// Everything a load can write, against its table's range. Returns the first
// fault found, empty when none.
std::string check_parser()
{
    const ModParser *ps = get_mod_parser();
    if (ps->player < 0 || ps->player > 1 || ps->body < -1 || ps->body > 20 || ps->joint < -1 || ps->joint > 19 ||
        ps->object < -1 || ps->object > 15 || ps->object_joint < -1 || ps->object_joint > 15 || ps->mode < 0 ||
        ps->mode > 11 || ps->overlay != 0 || memchr(ps->message, 0, sizeof ps->message) == nullptr)
        return "parser";
    return "";
}

std::string check_in_range()
{
    const std::string parser = check_parser();
    if (!parser.empty())
        return parser;
    const ModWorld *m = get_loaded_mod_world();
    if (!std::isfinite(m->friction) || m->friction < 0 || m->object_surface > 1 || m->message[MOD_MESSAGE_SIZE - 1])
        return "world";
    for (int i = 0; i < WORLD_COLOR_COUNT; i++)
        if (!finite(m->colors[i], 3))
            return "colours";
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        const EnvObject &o = m->env_objects[i];
        if (o.defined > 1 || o.shape > 2 || o.visible > 1 || o.material > 1 || o.thrust_period < 0 ||
            !finite(o.pos, 3) || !finite(o.sides, 3) || o.sides[0] < 0 || o.sides[1] < 0 || o.sides[2] < 0 ||
            !(o.mass > 0) || !std::isfinite(o.mass) || !finite(o.rot, 3) || !finite(o.color, 4) ||
            !finite(o.force, 3) || !finite(o.thrust, 3) || !(o.bounce >= 0) || !(o.friction >= 0) ||
            !std::isfinite(o.bounce) || !std::isfinite(o.friction))
            return "object " + std::to_string(i);
    }
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        const EnvObjectJoint &j = m->env_joints[i];
        if (j.active > 1 || j.visible > 1 || !finite(j.pos, 3) || !finite(j.axis, 3) || !(j.hi_stop >= j.lo_stop))
            return "object joint " + std::to_string(i);
        if (j.active && (j.object_a < 0 || j.object_a > 15 || j.object_b < 0 || j.object_b > 15 ||
                         j.object_a == j.object_b || !m->env_objects[j.object_a].defined ||
                         !m->env_objects[j.object_b].defined))
            return "object joint ends " + std::to_string(i);
    }
    for (int p = 0; p < 2; p++) {
        for (int b = 0; b < BODY_COUNT; b++) {
            const BodyDef &r = get_loaded_body_table(p)[b];
            if (r.shape < 0 || r.shape > 2 || r.material < 0 || r.material > 1 || !(r.density > 0) ||
                !std::isfinite(r.density) || r.thrust_period < 0 || !finite(r.pos, 3) || !finite(r.rot, 3) ||
                !finite(r.sides, 3) || !finite(r.alt_sides, 3) || !finite(r.color, 3) ||
                !finite(r.force, 3) || !finite(r.thrust, 3) || r.sides[0] < 0 || r.sides[1] < 0 ||
                r.sides[2] < 0 || r.alt_sides[0] < 0 || r.alt_sides[1] < 0 || r.alt_sides[2] < 0 || r.index != b)
                return "body " + std::to_string(p) + " " + std::to_string(b);
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            const JointDef &r = get_loaded_joint_table(p)[j];
            if (!(r.radius > 0) || !std::isfinite(r.radius) || !(r.range[0] >= r.range[1]) || !finite(r.pos, 3) ||
                !finite(r.axis, 3) || !std::isfinite(r.strength) || !std::isfinite(r.velocity) ||
                r.dm_threshold < -1 || r.material < 0 || r.material > 1 || !finite(r.color, 3) || r.index != j)
                return "joint " + std::to_string(p) + " " + std::to_string(j);
        }
        if (get_loaded_body_table(p)[BODY_COUNT].shape != -1)
            return "body table end";
    }
    const MatchRules *mr = get_mod_rules();
    if (!finite(mr->gravity, 3) || mr->mod[RULES_TEXT_SIZE - 1] != 0)
        return "mod rules";
    return "";
}

// Replaces the file's contents without truncating it to nothing first,
// which makes some file systems flush the file to disk at every close.
void overwrite(int fd, const std::string &text)
{
    ASSERT_EQ(pwrite(fd, text.data(), text.size(), 0), (ssize_t)text.size());
    ASSERT_EQ(ftruncate(fd, (off_t)text.size()), 0);
}

// A new match on data/mod/fz.kxm as the console starts one, played for
// three turns; a fault when a body ends up not finite.
std::string play_fuzzed_mod()
{
    MatchRules r;
    fill_default_rules(0, &r);
    n_strncpyz(r.mod, "fz.kxm", sizeof r.mod);
    r.matchframes = 100;
    rules_set_turnframes(&r, "10");
    forget_loaded_mod();
    get_game_globals()->replay_mode = 0;
    new_match(0, 0, &r, 0);
    leave_ghost_mode();
    for (int t = 0; t < 3 && !get_game_state()->game_over; t++) {
        set_grip(0, R_HAND, GRIP_ON);
        set_grip(1, L_HAND, GRIP_ON);
        play_turn(t, 2);
    }
    for (int i = 0; i < get_game_globals()->built_players; i++)
        for (dBodyID b : get_player(i)->bodies)
            if (!finite(dBodyGetPosition(b), 3) || !finite(dBodyGetQuaternion(b), 4))
                return "match on the mod";
    return "";
}

// Whole matches on mods of objects and object joints with hostile values
// in the default run; `make fuzz` plays KX_FUZZ_SCALE times as many.
constexpr long OBJECT_MODS = 16;

// Numbers for object statements: in range, at the edges, just past them and
// far out.
const char *const k_object_numbers[] = {
    "0", "1", "-1", "0.5", "0.01", "0.0099", "10", "10.01", "29", "1e-4", "9e-5", "1e6", "1.1e6", "999", "-999",
    "1001", "100", "101", "1e-8", "1e-30", "1e4", "3000", "1e30", "-1e30", "3.4e38", "1e39", "nan", "inf", "1e-45",
};

template <size_t N> const char *pick(std::mt19937 &rng, const char *const (&table)[N]) { return table[rng() % N]; }

std::string numbers(std::mt19937 &rng, int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += std::string(i ? " " : "") + pick(rng, k_object_numbers);
    return s;
}

// A mod of 1 to 16 objects near the fighters and up to 16 joints between
// them, each statement given hostile numbers now and then; a few lines
// mutated.
std::string object_mod(std::mt19937 &rng)
{
    static const char *const shapes[] = {"box", "sphere", "cylinder"};
    std::string text;
    const int objects = 1 + (int)(rng() % 16);
    auto hostile = [&rng]() { return rng() % 3 == 0; };
    for (int i = 1; i <= objects; i++) {
        char place[96];
        snprintf(place, sizeof place, "%.2f %.2f %.2f", (double)(rng() % 200) / 100 - 1, (double)(rng() % 200) / 100 - 1.5,
                 (double)(rng() % 300) / 100);
        std::vector<std::string> lines = {
            "env_obj " + std::to_string(i),
            std::string("shape ") + shapes[rng() % 3],
            "sides " + (hostile() ? numbers(rng, 3) : "0.3 0.2 0.4"),
            "mass " + (hostile() ? numbers(rng, 1) : "1"),
            "pos " + (hostile() ? numbers(rng, 3) : std::string(place)),
        };
        // The other statements, now and then: a word and how many numbers
        // follow it (0: a flag word).
        static const std::pair<const char *, int> optional[] = {
            {"rot", 3}, {"force", 3}, {"thrust 3", 3}, {"bounce", 1}, {"friction", 1}, {"flag", 0}};
        for (const auto &[word, count] : optional)
            if (rng() % 3 == 0)
                lines.push_back(std::string(word) + " " +
                                (count ? numbers(rng, count) : std::to_string(rng() % 2 ? 8 : rng() % 32)));
        for (const std::string &l : lines)
            text += l + "\n";
    }
    const int joints = (int)(rng() % 17);
    for (int j = 1; j <= joints; j++) {
        const int a = 1 + (int)(rng() % (objects + 1)), b = 1 + (int)(rng() % (objects + 1));
        text += "env_obj_joint " + std::to_string(j) + " " + std::to_string(a) + " " + std::to_string(b) + "\n";
        text += "axis " + (hostile() ? numbers(rng, 3) : std::string("0 0 1")) + "\n";
        text += "pos " + (hostile() ? numbers(rng, 3) : std::string("0 -0.5 1.5")) + "\n";
        if (rng() % 2)
            text += "range " + numbers(rng, 2) + "\n";
        if (rng() % 2)
            text += "strength " + numbers(rng, 1) + "\nvelocity " + numbers(rng, 1) + "\n";
    }
    if (rng() % 4 == 0) {
        std::string mutated;
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
            mutated += (rng() % 8 == 0 ? mutate(rng, text.substr(at, end - at)) : text.substr(at, end - at)) + "\n";
        text = mutated;
    }
    return text;
}

// What a build leaves of the objects and their joints: in the range the
// engine takes.
std::string check_built_objects(const ModWorld *m)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        const EnvObject &o = m->env_objects[i];
        if (!o.defined)
            continue;
        const int used = o.shape == 0 ? 1 : o.shape == 2 ? 2 : 3;
        for (int k = 0; k < used; k++)
            if (!(o.sides[k] >= ENV_SIDE_MIN && o.sides[k] <= (o.shape != 1 && k == 0 ? ENV_RADIUS_MAX : ENV_SIDE_MAX)))
                return "object sides " + std::to_string(i);
        if (!(o.mass >= ENV_MASS_MIN && o.mass <= ENV_MASS_MAX) || !pose_position_ok(o.pos) ||
            !(o.bounce <= ENV_BOUNCE_MAX))
            return "object " + std::to_string(i);
    }
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        const EnvObjectJoint &j = m->env_joints[i];
        const double anchor[3] = {j.pos[0], j.pos[1], j.pos[2]};
        if (j.active && (!pose_position_ok(anchor) || !m->env_objects[j.object_a].defined ||
                         !m->env_objects[j.object_b].defined || j.object_a == j.object_b ||
                         !(std::fabs(j.hi_stop) <= HINGE_STOP_LIMIT && std::fabs(j.lo_stop) <= HINGE_STOP_LIMIT)))
            return "object joint " + std::to_string(i);
    }
    return "";
}

// Fighter body mods with values at and just past the limits, several heavy
// bodies joined to each other, in the default run; `make fuzz` plays
// KX_FUZZ_SCALE times as many.
constexpr long BODY_MODS = 8;

const char *const k_body_sides[] = {"0.01", "0.0099", "0.2", "1", "4.99", "5", "5.01", "9.99", "10", "12", "20",
                                    "29.9", "30", "30.01", "1e-4", "1e30"};
const char *const k_body_densities[] = {"1e-30", "1e-6", "0.001", "0.25", "1", "1000", "999999", "1e6", "1.1e6",
                                        "3.4e38"};
const char *const k_body_rots[] = {"0 0 0", "1000000 1 1", "0 1 1", "90 90 90", "3.4e38 1 1", "1e-45 0 0",
                                   "-1000000 1000000 1000000"};
const char *const k_frictions[] = {"0", "10000", "1e6", "1.1e6", "3e38", "-1", "1e-45"};

// Chains of bodies joined one to the next.
const char *const k_body_chains[][5] = {
    {"head", "breast", "chest", "stomach", "groin"},
    {"breast", "r_pecs", "r_biceps", "r_triceps", "r_hand"},
    {"breast", "l_pecs", "l_biceps", "l_triceps", "l_hand"},
    {"groin", "r_butt", "r_thigh", "r_leg", "r_foot"},
    {"groin", "l_butt", "l_thigh", "l_leg", "l_foot"},
};

// A few bodies along a chain and a few anywhere, each with a shape, sides,
// density and rotation from the tables above (mostly at the limits), the
// hands now and then a gripping size; the world's friction now and then.
std::string body_mod(std::mt19937 &rng)
{
    static const char *const shapes[] = {"box", "sphere", "cylinder"};
    std::vector<std::string> names;
    const auto &chain = k_body_chains[rng() % 5];
    const int from = (int)(rng() % 3), count = 2 + (int)(rng() % 3);
    for (int k = from; k < 5 && k < from + count; k++)
        names.push_back(chain[k]);
    for (int extra = (int)(rng() % 3); extra > 0; extra--)
        names.push_back(builtin_body_table()[rng() % BODY_COUNT].name);
    std::string text;
    for (const std::string &n : names) {
        text += "body " + n + "\nshape " + shapes[rng() % 3] + "\n";
        text += std::string("sides ") + pick(rng, k_body_sides) + " " + pick(rng, k_body_sides) + " " +
                pick(rng, k_body_sides) + "\n";
        text += std::string("density ") + pick(rng, k_body_densities) + "\n";
        text += std::string("rot ") + pick(rng, k_body_rots) + "\n";
        if (n == "r_hand" || n == "l_hand")
            text += std::string("alt_sides ") + pick(rng, k_body_sides) + " " + pick(rng, k_body_sides) + " " +
                    pick(rng, k_body_sides) + "\n";
    }
    if (rng() % 3 == 0)
        text += std::string("world\nfriction ") + pick(rng, k_frictions) + "\n";
    return text;
}

// Both players' tables after the checks a build makes: every size, density
// and mass in the range the engine takes.
std::string check_built_bodies()
{
    for (int p = 0; p < 2; p++) {
        sanitize_fighter_tables(get_loaded_body_table(p), get_loaded_joint_table(p));
        for (int b = 0; b < BODY_COUNT; b++) {
            const BodyDef &r = get_loaded_body_table(p)[b];
            const double radius = r.sides[0], v = r.sides[0] * r.sides[1] * r.sides[2];
            bool ok = r.density > 0 && r.density <= BODY_DENSITY_MAX && radius >= BODY_SIDE_MIN;
            if (r.shape == SHAPE_BOX)
                ok = ok && v > 0 && *std::max_element(r.sides, r.sides + 3) <= BODY_SIDE_MAX &&
                     *std::min_element(r.sides, r.sides + 3) >= BODY_SIDE_MIN && r.density * v >= BODY_MASS_MIN;
            else
                ok = ok && radius <= BODY_RADIUS_MAX &&
                     (r.shape == SHAPE_SPHERE || (r.sides[1] >= BODY_SIDE_MIN && r.sides[1] <= BODY_SIDE_MAX));
            if (!ok)
                return "body " + std::to_string(p) + " " + std::to_string(b);
        }
    }
    const float f = get_loaded_mod_world()->friction;
    return (f >= 0 && f <= WORLD_FRICTION_MAX) ? "" : "world friction";
}

// A new game on the mod and turns of 10 frames to the end of a short match,
// both fighters gripping; 0 when every body stays finite.
int play_body_mod(const std::string &name)
{
    if (const int rc = kxtest::new_short_mod_game(name))
        return rc;
    for (int t = 0; t < 20 && !get_game_state()->game_over; t++) {
        set_grip(0, R_HAND, GRIP_ON);
        set_grip(1, L_HAND, GRIP_ON);
        play_turn(t, 3);
    }
    return kxtest::bodies_finite() ? 0 : kxtest::CHILD_NOT_FINITE;
}

// Mods of objects at the limits of what a mod may give them, beside
// fighter bodies pushed as hard as a mod may push them, in the default run;
// `make fuzz` plays KX_FUZZ_SCALE times as many.
constexpr long LIMIT_OBJECT_MODS = 8;

// 1 to 16 objects, each the widest or smallest, heaviest or lightest,
// bounciest and hardest pushed an object may be, most at one place; now and
// then joined; two fighter bodies light or heavy and thrust every frame.
std::string limit_object_mod(std::mt19937 &rng)
{
    static const char *const shapes[] = {"box", "sphere", "cylinder"};
    static const char *const box_sides[] = {"10 10 10", "0.01 0.01 0.01", "10 0.01 10"};
    static const char *const round_sides[] = {"5 10", "0.01 10", "5 0.01", "5"};
    static const char *const masses[] = {"1000000", "0.0001", "1"};
    static const char *const bounces[] = {"100", "0", "1"};
    static const char *const places[] = {"0 0 0.25", "0 -0.5 1", "999 999 999", "0.3 -0.4 0.5"};
    static const char *const pushes[] = {"100000", "-100000", "0"};
    const std::string place = pick(rng, places);
    std::string text;
    const int objects = 1 + (int)(rng() % 16);
    for (int i = 1; i <= objects; i++) {
        const int shape = (int)(rng() % 3);
        text += "env_obj " + std::to_string(i) + "\nshape " + shapes[shape] + "\nsides " +
                (shape == 0 ? pick(rng, box_sides) : pick(rng, round_sides)) + "\nmass " + pick(rng, masses) +
                "\nbounce " + pick(rng, bounces) + "\npos " + (rng() % 4 ? place : std::string(pick(rng, places))) +
                "\n";
        if (rng() % 2)
            text += std::string("thrust 1 ") + pick(rng, pushes) + " " + pick(rng, pushes) + " " + pick(rng, pushes) +
                    "\n";
        if (rng() % 3 == 0)
            text += std::string("force ") + pick(rng, pushes) + " " + pick(rng, pushes) + " " + pick(rng, pushes) +
                    "\nfriction 3e38\n";
    }
    for (int j = 1; j < objects && j <= 4; j++)
        if (rng() % 3 == 0)
            text += "env_obj_joint " + std::to_string(j) + " " + std::to_string(j) + " " + std::to_string(j + 1) +
                    "\naxis 0 0 1\npos " + place + "\nstrength 1000000\nvelocity 10000\n";
    for (const char *body : {"r_hand", "r_butt"})
        text += std::string("body ") + body + "\ndensity " + (rng() % 2 ? "1" : "1000000") +
                "\nthrust 1 100000 100000 100000\n";
    return text;
}

// Twelve turns of a match on the mod, the ghost preview run for 15 frames
// before each (or until the engine's failure ends the match); 0 when every
// body is finite after.
int play_with_previews(const std::string &name)
{
    if (const int rc = kxtest::new_short_mod_game(name))
        return rc;
    for (int t = 0; t < 12 && !get_game_state()->game_over; t++)
        play_turn(t, 15);
    return kxtest::bodies_finite() ? 0 : kxtest::CHILD_NOT_FINITE;
}

} // namespace

// The children that ended normally; each that did not fails the test,
// showing its mod.
static long count_played(const std::vector<kxtest::ChildEnd> &ends, const std::vector<std::string> &texts)
{
    long played = 0;
    for (size_t i = 0; i < ends.size(); i++) {
        EXPECT_EQ(ends[i].how, "ok") << "mod " << i << ":\n" << texts[i] << "\n" << ends[i].err.substr(0, 2000);
        played += ends[i].how == "ok";
    }
    return played;
}

class ModFuzz : public ModTest {};

// Mods of fighter bodies at the limits of size, density, rotation and so
// mass, several heavy ones joined, each loaded and checked here (every value
// left in range), then played in a child as a match.
TEST_F(ModFuzz, BodyModsAtTheLimitsPlayMatches)
{
    std::mt19937 rng(20261208);
    const long mods = BODY_MODS * kxtest::fuzz_scale();
    std::vector<std::string> texts;
    std::vector<std::function<int()>> jobs;
    for (long i = 0; i < mods; i++) {
        texts.push_back(body_mod(rng));
        const std::string name = "body" + std::to_string(i) + ".kxm";
        write_mod(name, texts.back());
        std::string fault;
        {
            kxtest::QuietStreams quiet(false);
            load_mod(name.c_str());
            fault = check_built_bodies();
        }
        ASSERT_EQ(fault, "") << texts.back();
        jobs.push_back([name] { return play_body_mod(name); });
    }
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs);
    const long played = count_played(ends, texts);
    fprintf(stderr, "%ld fighter body mods played as matches\n", played);
}

// Mods of objects and object joints with hostile values, each loaded and
// built here (every value left in range), then played in a child as a whole
// match, its replay after it, and a replay naming the mod.
TEST_F(ModFuzz, HostileObjectModsPlayWholeMatches)
{
    std::mt19937 rng(20261207);
    const long mods = OBJECT_MODS * kxtest::fuzz_scale();
    std::vector<std::string> texts;
    std::vector<std::function<int()>> jobs;
    for (long i = 0; i < mods; i++) {
        texts.push_back(object_mod(rng));
        const std::string name = "obj" + std::to_string(i) + ".kxm";
        write_mod(name, texts.back());
        std::string fault;
        {
            kxtest::QuietStreams quiet(false);
            load_mod(name.c_str());
            const ModWorld *m = build_mod_world();
            fault = m ? check_built_objects(m) : "build refused";
        }
        ASSERT_EQ(fault, "") << texts.back();
        jobs.push_back([name, i] { return kxtest::play_mod_everywhere(name, "obj" + std::to_string(i) + ".rpl"); });
    }
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs);
    const long played = count_played(ends, texts);
    fprintf(stderr, "%ld object mods played as whole matches\n", played);
}

TEST_F(ModFuzz, MutatedModFilesLeaveEveryRecordInRange)
{
    std::mt19937 rng(20240607);
    const long files = fuzz_files();
    std::string fault;
    long fault_at = -1, worlds = 0, built = 0;
    std::string fault_text;
    write_overlay("fz", "");
    write_mod("fz.kxm", "");
    const int mod_fd = open("data/mod/fz.kxm", O_WRONLY);
    const int overlay_fd = open("custom/fz/rpg.kxm", O_WRONLY);
    ASSERT_GE(mod_fd, 0);
    ASSERT_GE(overlay_fd, 0);
    {
        kxtest::QuietStreams quiet(true);
        for (long i = 0; i < files && fault.empty(); i++) {
            const std::string text = fuzz_file(rng);
            const bool overlay = i % 8 == 7;
            if (overlay) {
                overwrite(overlay_fd, text);
                load_rpg_mod((int)(rng() % 2), "fz");
            } else {
                overwrite(mod_fd, text);
                load_mod("fz.kxm");
            }
            // The parser after every file, every record after every 8th.
            fault = (i % 8 == 0 || overlay) ? check_in_range() : check_parser();
            if (fault.empty() && i % 64 == 0) {
                ModWorld *m = build_mod_world();
                built++;
                if (!m)
                    fault = "build refused";
                // A match on the mod from every 2048th file: the mod named
                // by the rules, loaded again, and three turns played with
                // both fighters gripping.
                if (m && i % 2048 == 0) {
                    fault = play_fuzzed_mod();
                    worlds++;
                }
            }
            if (!fault.empty()) {
                fault_at = i;
                fault_text = text;
            }
        }
    }
    close(mod_fd);
    close(overlay_fd);
    EXPECT_EQ(fault, "") << "file " << fault_at << ":\n" << fault_text;
    EXPECT_GT(built, files / 100);
    EXPECT_GT(worlds, 10);
}

// Objects at their limits with long previews: whatever the engine makes of
// them, each match plays on or ends with the engine's failure named; the
// program never ends.
TEST_F(ModFuzz, ObjectsAtTheirLimitsWithPreviewsNeverEndTheProgram)
{
    std::mt19937 rng(20261213);
    const long mods = LIMIT_OBJECT_MODS * kxtest::fuzz_scale();
    std::vector<std::string> texts;
    std::vector<std::function<int()>> jobs;
    for (long i = 0; i < mods; i++) {
        texts.push_back(limit_object_mod(rng));
        const std::string name = "limit" + std::to_string(i) + ".kxm";
        write_mod(name, texts.back());
        jobs.push_back([name] { return play_with_previews(name); });
    }
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs, 3);
    count_played(ends, texts);
    long failed_in_engine = 0;
    for (long i = 0; i < mods; i++) {
        EXPECT_EQ(ends[i].err.find("cannot go on"), std::string::npos) << texts[i];
        failed_in_engine += ends[i].err.find("The physics engine failed in the") != std::string::npos;
    }
    fprintf(stderr, "%ld mods of objects at their limits played, %ld ended by the engine's failure\n", mods,
            failed_in_engine);
}
