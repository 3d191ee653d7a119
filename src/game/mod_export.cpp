// Writing mod text: a world (fighters per player, objects, object joints)
// and the live rules as a `gamerule` block. Every line ends with "\r\n" and
// reads back through the statement parser to the same record.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/data_dirs.h"
#include "app/base/utils.h"
#include "game/mod_export.h"
#include "game/body_defs.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/mod_file.h"

static int finish_writing(FILE *f, const char *path)
{
    if (replace_file_commit(f, data_path(path)) != 0) {
        fprintf(stderr, "Unable to write %s %s\n", path, strerror(errno));
        return 1;
    }
    return 0;
}

static const double DEG_TO_RAD = 0.017453292519943295;

// Mod files are written to a temporary name and renamed over the old file
// (finish_writing), so a failed write never loses a saved mod.
static FILE *open_for_writing(const char *path)
{
    FILE *f = path ? replace_file_open(data_path(path)) : nullptr;
    if (!f) {
        fprintf(stderr, "Unable to open %s %s\n", path ? path : "(null)", strerror(errno));
        fflush(stderr);
    }
    return f;
}

// Body rotations are kept as 32-bit radians. Of the degrees that read back
// to the same radians, the one with the fewest decimals is written, so that
// "rot 90" comes back as 90.000000 (not 90.000003) and a written file reads
// and writes again to the same text.
static double body_degrees(float radians)
{
    const double deg = (double)radians / DEG_TO_RAD;
    for (int decimals = 0; decimals <= 6; decimals++) {
        char text[64];
        snprintf(text, sizeof text, "%.*f", decimals, deg);
        const double candidate = strtod(text, nullptr);
        if ((float)(candidate * DEG_TO_RAD) == radians)
            return candidate;
    }
    return deg;
}

// A mass or density: "%f", unless that reads back as 0 (a value below
// 0.0000005), which the reader refuses; then the digits that read back to
// the same 32-bit float, as the reader keeps it.
static const char *positive_text(double v, char *dst, size_t size)
{
    snprintf(dst, size, "%f", v);
    if (v > 0 && strtod(dst, nullptr) == 0)
        snprintf(dst, size, "%.9g", (double)(float)v);
    return dst;
}

static const char *shape_word(int shape)
{
    switch (shape) {
    case SHAPE_SPHERE: return "sphere";
    case SHAPE_CAPSULE: return "cylinder";
    default: return "box";
    }
}

static void write_fighter(FILE *f, int p, const BodyDef *bodies, const JointDef *joints)
{
    const BodyDef *names = builtin_body_table();
    const JointDef *joint_names = builtin_joint_table();
    fprintf(f, "player %d\r\n", p);
    for (int b = 0; b < BODY_COUNT; b++) {
        const BodyDef &r = bodies[b];
        fprintf(f, "   body %s\r\n", names[b].name);
        fprintf(f, "      sides %f %f %f\r\n", r.sides[0], r.sides[1], r.sides[2]);
        fprintf(f, "      pos %f %f %f\r\n", r.pos[0], r.pos[1], r.pos[2]);
        fprintf(f, "      rot %f %f %f\r\n", body_degrees(r.rot[0]), body_degrees(r.rot[1]), body_degrees(r.rot[2]));
        char number[512];   // "%f" of the largest double fits
        fprintf(f, "      density %s\r\n", positive_text(r.density, number, sizeof number));
        fprintf(f, "      force %f %f %f\r\n", r.force[0], r.force[1], r.force[2]);
        if (r.thrust_period != 0)
            fprintf(f, "      thrust %i %f %f %f\r\n", (int)r.thrust_period, r.thrust[0], r.thrust[1], r.thrust[2]);
    }
    for (int j = 0; j < JOINT_COUNT; j++) {
        const JointDef &r = joints[j];
        fprintf(f, "   joint %s\r\n", joint_names[j].name);
        fprintf(f, "      radius %f\r\n", r.radius);
        fprintf(f, "      pos %f %f %f\r\n", r.pos[0], r.pos[1], r.pos[2]);
        fprintf(f, "      axis %f %f %f\r\n", r.axis[0], r.axis[1], r.axis[2]);
        fprintf(f, "      range %f %f\r\n", r.range[0], r.range[1]);
        fprintf(f, "      strength %f\r\n", r.strength);
        fprintf(f, "      velocity %f\r\n", r.velocity);
        // -1 (take the rules' threshold) is what a load starts from, so it
        // is left out; the statement cannot carry it, since a negative value
        // reads as 0. Any other negative value breaks like 0 and is written so.
        if (r.dm_threshold != -1)
            fprintf(f, "      dm_threshold %i\r\n", r.dm_threshold < 0 ? 0 : (int)r.dm_threshold);
    }
}

static void write_object(FILE *f, int i, const EnvObject &o, bool surface)
{
    fprintf(f, "env_obj %d\r\n", i + 1);
    fprintf(f, "   shape %s\r\n", shape_word(o.shape));
    fprintf(f, "   pos %f %f %f\r\n", o.pos[0], o.pos[1], o.pos[2]);
    char number[512];   // "%f" of the largest double fits
    fprintf(f, "   mass %s\r\n", positive_text(o.mass, number, sizeof number));
    // Three values read back with alpha 1: the alpha is written only when
    // its text reads back as something else (an alpha of 0.9999999 written
    // as "1.000000" would come back as 1 and be left out the next time).
    char alpha[64];
    snprintf(alpha, sizeof alpha, " %f", o.color[3]);
    if (strtof(alpha, nullptr) == 1.0f)
        alpha[0] = '\0';
    fprintf(f, "   color %f %f %f%s\r\n", o.color[0], o.color[1], o.color[2], alpha);
    fprintf(f, "   visible %i\r\n", (int)o.visible);
    fprintf(f, "   rot %f %f %f\r\n", o.rot[0] / DEG_TO_RAD, o.rot[1] / DEG_TO_RAD, o.rot[2] / DEG_TO_RAD);
    fprintf(f, "   sides %f %f %f\r\n", o.sides[0], o.sides[1], o.sides[2]);
    fprintf(f, "   force %f %f %f\r\n", o.force[0], o.force[1], o.force[2]);
    if (o.thrust_period != 0)
        fprintf(f, "   thrust %i %f %f %f\r\n", (int)o.thrust_period, o.thrust[0], o.thrust[1], o.thrust[2]);
    fprintf(f, "   material %s\r\n", o.material == 0 ? "flesh" : "steel");
    fprintf(f, "   flag %d\r\n", (int)o.flag);
    if (surface) {
        fprintf(f, "      bounce %f\r\n", o.bounce);
        fprintf(f, "      friction %.2f\r\n", o.friction);
    }
}

static void write_object_joint(FILE *f, int i, const EnvObjectJoint &j)
{
    fprintf(f, "env_obj_joint %i %i %i\r\n", i + 1, (int)j.object_a + 1, (int)j.object_b + 1);
    fprintf(f, "   pos %f %f %f\r\n", j.pos[0], j.pos[1], j.pos[2]);
    fprintf(f, "   axis %f %f %f\r\n", j.axis[0], j.axis[1], j.axis[2]);
    fprintf(f, "   range %f %f\r\n", j.hi_stop, j.lo_stop);
    fprintf(f, "   strength %f\r\n", j.strength);
    fprintf(f, "   velocity %f\r\n", j.velocity);
    fprintf(f, "   visible %i\r\n", (int)j.visible);
}

int write_mod_file(const ModWorld *world, const char *path)
{
    if (!world) {
        fprintf(stderr, "write_mod_file: no world to write\n");
        return 1;
    }
    FILE *f = open_for_writing(path);
    if (!f)
        return 1;
    if (world->friction != 10000.0f)
        fprintf(f, "friction %f\r\n", world->friction);
    const int players = get_game_state()->players;
    for (int p = 0; p < players && p < MAX_FIGHTERS; p++)
        if (world->body_tables[p] && world->joint_tables[p])
            write_fighter(f, p, world->body_tables[p], world->joint_tables[p]);
    for (int i = 0; i < ENV_OBJECT_COUNT; i++)
        if (world->env_objects[i].defined)
            write_object(f, i, world->env_objects[i], world->object_surface != 0);
    for (int i = 0; i < ENV_JOINT_COUNT; i++)
        if (world->env_joints[i].active)
            write_object_joint(f, i, world->env_joints[i]);
    return finish_writing(f, path);
}

int write_gamerule_file(const char *path)
{
    FILE *f = open_for_writing(path);
    if (!f)
        return 1;
    const MatchRules *rules = get_match_rules();
    fprintf(f, "gamerule\r\n");
    for (int i = RULE_MATCHFRAMES; i <= RULE_RPG; i++)
        fprintf(f, "   %s %s\r\n", rule_table()[i].key, rules_to_text(i, rules));
    return finish_writing(f, path);
}
