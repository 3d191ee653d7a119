// The mod statement language: one table row per keyword with its handler,
// and parse_mod_cmd, which reads one line against the parser state.
// Every refused statement prints its message on standard error and changes
// nothing; the load goes on with the next line.
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "app/base/text.h"
#include "app/base/number_text.h"
#include "game/mod_statements.h"
#include "game/body_defs.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/mod_file.h"

static const double DEG_TO_RAD = 0.017453292519943295;

static ModParser g_parser = {0, -1, -1, -1, -1, MOD_MODE_NONE, 1, 0, 0, {0}};

const ModParser *get_mod_parser(void) { return &g_parser; }
ModParser *mod_parser_state(void) { return &g_parser; }

__attribute__((format(printf, 1, 2))) static void mod_error(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stderr, fmt, ap);
    va_end(ap);
    fflush(stderr);
}

// ---- what a statement applies to ----

enum Target { TGT_NONE, TGT_BODY, TGT_JOINT, TGT_OBJECT, TGT_OBJECT_JOINT };
enum {
    ON_BODY = 1 << TGT_BODY,
    ON_JOINT = 1 << TGT_JOINT,
    ON_OBJECT = 1 << TGT_OBJECT,
    ON_OBJECT_JOINT = 1 << TGT_OBJECT_JOINT,
};

// The record the current block names, or none when the block was refused
// (a bad name or number leaves its index at -1).
static int current_target(const ModParser *ps)
{
    switch (ps->mode) {
    case MOD_MODE_BODY: return (ps->body >= 0 && ps->body < BODY_COUNT) ? TGT_BODY : TGT_NONE;
    case MOD_MODE_JOINT: return (ps->joint >= 0 && ps->joint < JOINT_COUNT) ? TGT_JOINT : TGT_NONE;
    case MOD_MODE_ENV_OBJ: return (ps->object >= 0 && ps->object < ENV_OBJECT_COUNT) ? TGT_OBJECT : TGT_NONE;
    case MOD_MODE_ENV_OBJ_JOINT:
        return (ps->object_joint >= 0 && ps->object_joint < ENV_JOINT_COUNT) ? TGT_OBJECT_JOINT : TGT_NONE;
    default: return TGT_NONE;
    }
}

// The target when the statement applies to it, else TGT_NONE after
// "<what> statement out of context".
static int target_for(const ModParser *ps, int allowed, const char *what)
{
    const int t = current_target(ps);
    if (t != TGT_NONE && (allowed & (1 << t)))
        return t;
    mod_error("%s statement out of context\n", what);
    return TGT_NONE;
}

static BodyDef *cur_body(const ModParser *ps) { return &get_loaded_body_table(ps->player)[ps->body]; }
static JointDef *cur_joint(const ModParser *ps) { return &get_loaded_joint_table(ps->player)[ps->joint]; }
static EnvObject *cur_object(const ModParser *ps) { return &get_loaded_mod_world()->env_objects[ps->object]; }
static EnvObjectJoint *cur_object_joint(const ModParser *ps)
{
    return &get_loaded_mod_world()->env_joints[ps->object_joint];
}

// ---- numbers ----

// atof: a text that is not a number gives 0.
static float arg_float(const char *arg)
{
    float v = 0;
    return read_float_words(arg, 1, &v) == 1 ? v : 0.0f;
}

// atoi: a text that is not a number gives 0.
static int arg_int(const char *arg)
{
    int32_t v = 0;
    parse_int_list(arg, 1, &v);
    return v;
}

static bool any_negative(const float *v, int n)
{
    for (int i = 0; i < n; i++)
        if (v[i] < 0)
            return true;
    return false;
}

// ---- block statements ----

static void open_block(ModParser *ps, int mode)
{
    ps->mode = mode;
    ps->body = -1;
    ps->joint = -1;
    ps->object = -1;
    ps->object_joint = -1;
}

static int find_joint(const char *name)
{
    const JointDef *rows = builtin_joint_table();
    for (int j = 0; j < JOINT_COUNT; j++)
        if (strcmp(rows[j].name, name) == 0)
            return j;
    if (strcmp(name, "l_axilla") == 0)
        return L_AXILLA;
    return -1;
}

static int find_body(const char *name)
{
    const BodyDef *rows = builtin_body_table();
    for (int b = 0; b < BODY_COUNT; b++)
        if (strcmp(rows[b].name, name) == 0)
            return b;
    return -1;
}

static int st_joint(ModParser *ps, const char *arg)
{
    open_block(ps, MOD_MODE_JOINT);
    ps->joint = find_joint(arg);
    if (ps->joint < 0) {
        mod_error("no such joint %s\n", arg);
        return 1;
    }
    return 0;
}

static int st_body(ModParser *ps, const char *arg)
{
    open_block(ps, MOD_MODE_BODY);
    ps->body = find_body(arg);
    if (ps->body < 0) {
        mod_error("no such body %s\n", arg);
        return 1;
    }
    return 0;
}

static int st_world(ModParser *ps, const char *) { open_block(ps, MOD_MODE_WORLD); return 0; }
static int st_blood(ModParser *ps, const char *) { open_block(ps, MOD_MODE_BLOOD); return 0; }
static int st_hold(ModParser *ps, const char *) { open_block(ps, MOD_MODE_HOLD); return 0; }
static int st_relax(ModParser *ps, const char *) { open_block(ps, MOD_MODE_RELAX); return 0; }
static int st_hold_active(ModParser *ps, const char *) { open_block(ps, MOD_MODE_HOLD_ACTIVE); return 0; }
static int st_relax_active(ModParser *ps, const char *) { open_block(ps, MOD_MODE_RELAX_ACTIVE); return 0; }
static int st_gamerule(ModParser *ps, const char *) { open_block(ps, MOD_MODE_GAMERULE); return 0; }

static int st_player(ModParser *ps, const char *arg)
{
    int32_t n = -1;
    int err = 0;
    next_int_word(arg, &n, &err);
    if (err || n < 0 || n > 1) {
        mod_error("Invalid player index: %s\n", arg);
        return 1;
    }
    ps->player = n;
    ps->no_player_statement = 0;
    return 0;
}

static int st_env_obj(ModParser *ps, const char *arg)
{
    open_block(ps, MOD_MODE_ENV_OBJ);
    int32_t n = 0;
    int err = 0;
    next_int_word(arg, &n, &err);
    if (err || n < 1 || n > ENV_OBJECT_COUNT) {
        mod_error("Environment object out of range (%s)\n", arg);
        return 1;
    }
    ps->object = n - 1;
    get_loaded_mod_world()->env_objects[ps->object].defined = 1;
    return 0;
}

static int st_env_obj_joint(ModParser *ps, const char *arg)
{
    open_block(ps, MOD_MODE_ENV_OBJ_JOINT);
    int32_t v[3];
    bool ok = read_int_words(arg, 3, v) == 3;
    for (int i = 0; ok && i < 3; i++)
        ok = v[i] >= 1 && v[i] <= ENV_OBJECT_COUNT;
    if (!ok || v[1] == v[2]) {
        ps->mode = MOD_MODE_NONE;
        mod_error("Environment object joint parameter(s) invalid (env_obj_joint %s)\n", arg);
        return 1;
    }
    ModWorld *m = get_loaded_mod_world();
    if (!m->env_objects[v[1] - 1].defined || !m->env_objects[v[2] - 1].defined) {
        ps->mode = MOD_MODE_NONE;
        mod_error("Environment object joint refers to a non defined obj (env_obj_joint %s)\n", arg);
        return 1;
    }
    ps->object_joint = v[0] - 1;
    EnvObjectJoint *oj = &m->env_joints[ps->object_joint];
    oj->active = 1;
    oj->object_a = v[1] - 1;
    oj->object_b = v[2] - 1;
    return 0;
}

// ---- world and rules ----

static int st_gravity(ModParser *, const char *arg)
{
    return set_rule("gravity", arg, get_mod_rules());
}

static int st_friction(ModParser *ps, const char *arg)
{
    const float f = arg_float(arg);
    if (ps->mode == MOD_MODE_ENV_OBJ && current_target(ps) == TGT_NONE) {
        mod_error("friction statement out of context\n");
        return 1;
    }
    if (f < 0) {
        mod_error("friction must not be negative (%s)\n", arg);
        return 1;
    }
    if (ps->mode != MOD_MODE_ENV_OBJ && !(f <= WORLD_FRICTION_MAX)) {
        mod_error("friction %s refused (the world's friction 0 to %g)\n", arg, WORLD_FRICTION_MAX);
        return 1;
    }
    if (ps->mode == MOD_MODE_ENV_OBJ) {
        cur_object(ps)->friction = f;
        get_loaded_mod_world()->object_surface = 1;
    } else {
        get_loaded_mod_world()->friction = f;
    }
    return 0;
}

static int st_bounce(ModParser *ps, const char *arg)
{
    if (current_target(ps) != TGT_OBJECT) {
        mod_error("bounce statement out of context\n");
        return 1;
    }
    const float b = arg_float(arg);
    if (b < 0) {
        mod_error("bounce must not be negative (%s)\n", arg);
        return 1;
    }
    cur_object(ps)->bounce = b;
    get_loaded_mod_world()->object_surface = 1;
    return 0;
}

static int st_version(ModParser *ps, const char *arg)
{
    ps->version = arg_int(arg);
    return 0;
}

static int st_message(ModParser *ps, const char *arg)
{
    n_strncpyz(ps->message, arg, sizeof ps->message);
    return 0;
}

// ---- sizes and placement ----
// Each statement first checks that the current block is one it applies to,
// then its values.

static int st_sides(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_OBJECT, "sides");
    if (t == TGT_NONE)
        return 1;
    float v[3] = {0, 0, 0};
    if (read_float_words(arg, 3, v) < 1) {
        mod_error("not enough arguments to sides\n");
        return 1;
    }
    if (any_negative(v, 3)) {
        mod_error("arguments negative\n");
        return 1;
    }
    if (t == TGT_BODY) {
        memcpy(cur_body(ps)->sides, v, sizeof v);
    } else {
        for (int i = 0; i < 3; i++)
            cur_object(ps)->sides[i] = v[i];
    }
    return 0;
}

static int st_alt_sides(ModParser *ps, const char *arg)
{
    if (target_for(ps, ON_BODY, "alt_sides") == TGT_NONE)
        return 1;
    float v[3] = {0, 0, 0};
    if (read_float_words(arg, 3, v) < 2) {
        mod_error("not enough arguments to alt_sides\n");
        return 1;
    }
    if (any_negative(v, 3)) {
        mod_error("arguments negative\n");
        return 1;
    }
    memcpy(cur_body(ps)->alt_sides, v, sizeof v);
    return 0;
}

static int st_range(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_JOINT | ON_OBJECT_JOINT, "range");
    if (t == TGT_NONE)
        return 1;
    float v[2];
    if (read_float_words(arg, 2, v) < 2) {
        mod_error("not enough arguments to range\n");
        return 1;
    }
    if (v[0] < v[1]) {
        mod_error("high stop < low stop (\"%s\")\n", arg);
        return 1;
    }
    if (t == TGT_JOINT) {
        cur_joint(ps)->range[0] = v[0];
        cur_joint(ps)->range[1] = v[1];
    } else {
        cur_object_joint(ps)->hi_stop = v[0];
        cur_object_joint(ps)->lo_stop = v[1];
    }
    return 0;
}

static int st_strength(ModParser *ps, const char *arg)
{
    switch (target_for(ps, ON_JOINT | ON_OBJECT_JOINT, "strength")) {
    case TGT_JOINT: cur_joint(ps)->strength = arg_float(arg); return 0;
    case TGT_OBJECT_JOINT: cur_object_joint(ps)->strength = arg_float(arg); return 0;
    default: return 1;
    }
}

static int st_velocity(ModParser *ps, const char *arg)
{
    switch (target_for(ps, ON_JOINT | ON_OBJECT_JOINT, "velocity")) {
    case TGT_JOINT: cur_joint(ps)->velocity = arg_float(arg); return 0;
    case TGT_OBJECT_JOINT: cur_object_joint(ps)->velocity = arg_float(arg); return 0;
    default: return 1;
    }
}

static int st_pos(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_JOINT | ON_OBJECT | ON_OBJECT_JOINT, "pos");
    if (t == TGT_NONE)
        return 1;
    float v[3];
    if (read_float_words(arg, 3, v) < 3) {
        mod_error("not enough arguments to pos\n");
        return 1;
    }
    switch (t) {
    case TGT_BODY: memcpy(cur_body(ps)->pos, v, sizeof v); break;
    case TGT_JOINT: memcpy(cur_joint(ps)->pos, v, sizeof v); break;
    case TGT_OBJECT:
        for (int i = 0; i < 3; i++)
            cur_object(ps)->pos[i] = cur_object(ps)->state_pos[i] = v[i];
        break;
    default: memcpy(cur_object_joint(ps)->pos, v, sizeof v); break;
    }
    return 0;
}

static int st_radius(ModParser *ps, const char *arg)
{
    const int t = current_target(ps);
    if (t != TGT_BODY && t != TGT_JOINT) {
        mod_error("Unexpected radius command\n");
        return 1;
    }
    const float r = arg_float(arg);
    if (!(r > 0)) {
        mod_error("radius must be above 0 (%s)\n", arg);
        return 1;
    }
    if (t == TGT_BODY)
        cur_body(ps)->sides[0] = r;
    else
        cur_joint(ps)->radius = r;
    return 0;
}

// Degrees are read in double precision before the turn into radians, so
// that the written degrees read back to the same 32-bit radians.
static int st_rot(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_OBJECT, "rotate");
    if (t == TGT_NONE)
        return 1;
    float v[3];
    double deg[3];
    if (read_float_words(arg, 3, v) < 3) {
        mod_error("not enough arguments to rot\n");
        return 1;
    }
    parse_double_list(arg, 3, deg);
    for (int i = 0; i < 3; i++) {
        // The word reader looks at most 255 characters of a number; a longer
        // one may read larger in full, beyond what a float can hold.
        if (!(std::fabs(deg[i]) <= FLT_MAX))
            deg[i] = v[i];
        if (t == TGT_BODY)
            cur_body(ps)->rot[i] = (float)(deg[i] * DEG_TO_RAD);
        else
            cur_object(ps)->rot[i] = deg[i] * DEG_TO_RAD;
    }
    return 0;
}

static int st_axis(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_JOINT | ON_OBJECT_JOINT, "axis");
    if (t == TGT_NONE)
        return 1;
    float v[3];
    if (read_float_words(arg, 3, v) < 3) {
        mod_error("not enough arguments to axis\n");
        return 1;
    }
    memcpy(t == TGT_JOINT ? cur_joint(ps)->axis : cur_object_joint(ps)->axis, v, sizeof v);
    return 0;
}

// ---- looks and kinds ----

static int st_shape(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_OBJECT, "shape");
    if (t == TGT_NONE)
        return 1;
    int shape;
    if (strcmp(arg, "sphere") == 0)
        shape = SHAPE_SPHERE;
    else if (strcmp(arg, "box") == 0)
        shape = SHAPE_BOX;
    else if (strcmp(arg, "cylinder") == 0)
        shape = SHAPE_CAPSULE;
    else {
        mod_error("No such shape (%s)\n", arg);
        return 1;
    }
    if (t == TGT_BODY)
        cur_body(ps)->shape = shape;
    else
        cur_object(ps)->shape = (uint8_t)shape;
    return 0;
}

static int st_material(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_JOINT | ON_OBJECT, "material");
    if (t == TGT_NONE)
        return 1;
    int material;
    if (strcmp(arg, "flesh") == 0)
        material = 0;
    else if (strcmp(arg, "steel") == 0)
        material = 1;
    else {
        mod_error("Unknown material (%s)\n", arg);
        return 1;
    }
    switch (t) {
    case TGT_BODY: cur_body(ps)->material = material; break;
    case TGT_JOINT: cur_joint(ps)->material = material; break;
    default: cur_object(ps)->material = (uint32_t)material; break;
    }
    return 0;
}

static int st_flag(ModParser *ps, const char *arg)
{
    switch (target_for(ps, ON_BODY | ON_JOINT | ON_OBJECT, "flag")) {
    case TGT_BODY: cur_body(ps)->flag = arg_int(arg); return 0;
    case TGT_JOINT: cur_joint(ps)->flag = arg_int(arg); return 0;
    case TGT_OBJECT: cur_object(ps)->flag = (uint32_t)arg_int(arg); return 0;
    default: return 1;
    }
}

static bool colour_ignored_in(int mode)
{
    return mode == MOD_MODE_BLOOD || mode == MOD_MODE_HOLD || mode == MOD_MODE_HOLD_ACTIVE ||
           mode == MOD_MODE_RELAX || mode == MOD_MODE_RELAX_ACTIVE;
}

static int st_color(ModParser *ps, const char *arg)
{
    const bool world = ps->mode == MOD_MODE_WORLD;
    const bool ignored = colour_ignored_in(ps->mode);
    const int t = (world || ignored) ? TGT_NONE : target_for(ps, ON_BODY | ON_JOINT | ON_OBJECT, "color");
    if (!world && !ignored && t == TGT_NONE)
        return 1;
    float v[4] = {0, 0, 0, 1};
    if (read_float_words(arg, 4, v) < 3) {
        mod_error("not enough arguments to color\n");
        return 1;
    }
    if (ignored)
        return 0;   // the display's colours for these are not kept in the record
    if (world) {
        ModWorld *m = get_loaded_mod_world();
        for (int i = 0; i < 20; i++)
            memcpy(m->colors[i], v, sizeof m->colors[i]);
        return 0;
    }
    switch (t) {
    case TGT_BODY: memcpy(cur_body(ps)->color, v, 3 * sizeof(float)); break;
    case TGT_JOINT: memcpy(cur_joint(ps)->color, v, 3 * sizeof(float)); break;
    default: memcpy(cur_object(ps)->color, v, sizeof v); break;
    }
    return 0;
}

static int st_visible(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_OBJECT | ON_OBJECT_JOINT, "visible");
    if (t == TGT_NONE)
        return 1;
    int32_t v = 0;
    int err = 0;
    next_int_word(arg, &v, &err);
    if (err) {
        mod_error("not enough arguments to visible\n");
        return 1;
    }
    if (v < 0 || v > 1) {
        mod_error("visible can only be set to 1 or 0\n");
        return 1;
    }
    if (t == TGT_OBJECT)
        cur_object(ps)->visible = (uint32_t)v;
    else
        cur_object_joint(ps)->visible = (uint32_t)v;
    return 0;
}

// ---- forces and masses ----

static int st_force(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_OBJECT, "force");
    if (t == TGT_NONE)
        return 1;
    float v[3];
    if (read_float_words(arg, 3, v) < 3) {
        mod_error("not enough arguments to force\n");
        return 1;
    }
    memcpy(t == TGT_BODY ? cur_body(ps)->force : cur_object(ps)->force, v, sizeof v);
    return 0;
}

static int st_thrust(ModParser *ps, const char *arg)
{
    const int t = target_for(ps, ON_BODY | ON_OBJECT, "thrust");
    if (t == TGT_NONE)
        return 1;
    int32_t period = 0;
    int err = 0;
    float v[3];
    const char *rest = next_int_word(arg, &period, &err);
    if (err || read_float_words(rest, 3, v) < 3) {
        mod_error("not enough arguments to thrust\n");
        return 1;
    }
    if (period < 1) {
        mod_error("invalid frames input to thrust\n");
        return 1;
    }
    if (t == TGT_BODY) {
        cur_body(ps)->thrust_period = period;
        memcpy(cur_body(ps)->thrust, v, sizeof v);
    } else {
        cur_object(ps)->thrust_period = period;
        memcpy(cur_object(ps)->thrust, v, sizeof v);
    }
    return 0;
}

static int st_mass(ModParser *ps, const char *arg)
{
    if (target_for(ps, ON_OBJECT, "mass") != TGT_OBJECT)
        return 1;
    const float m = arg_float(arg);
    if (!(m > 0)) {
        mod_error("mass must be above 0 (%s)\n", arg);
        return 1;
    }
    cur_object(ps)->mass = m;
    return 0;
}

static int st_density(ModParser *ps, const char *arg)
{
    if (target_for(ps, ON_BODY, "density") != TGT_BODY)
        return 1;
    const float d = arg_float(arg);
    if (!(d > 0)) {
        mod_error("density must be above 0 (%s)\n", arg);
        return 1;
    }
    cur_body(ps)->density = d;
    return 0;
}

static int st_dm_threshold(ModParser *ps, const char *arg)
{
    if (target_for(ps, ON_JOINT, "dm_threshold") != TGT_JOINT)
        return 1;
    const int v = arg_int(arg);
    cur_joint(ps)->dm_threshold = v < 0 ? 0 : v;
    return 0;
}

// ---- the table ----

// name, takes an argument, what a player's rpg overlay may do with it, handler.
// An overlay may change only its own player's bodies and joints: the rows
// that reach the world, the objects, the rules or the other player are
// refused there, and a refused block statement also ends the current block.
static const ModStatement k_statements[MOD_STATEMENT_COUNT] = {
    {"joint", 1, OVERLAY_OK, st_joint},
    {"body", 1, OVERLAY_OK, st_body},
    {"world", 0, OVERLAY_ENDS_BLOCK, st_world},
    {"gravity", 1, OVERLAY_REFUSED, st_gravity},
    {"friction", 1, OVERLAY_REFUSED, st_friction},
    {"bounce", 1, OVERLAY_REFUSED, st_bounce},
    {"version", 1, OVERLAY_REFUSED, st_version},
    {"message", 1, OVERLAY_REFUSED, st_message},
    {"sides", 1, OVERLAY_OK, st_sides},
    {"alt_sides", 1, OVERLAY_OK, st_alt_sides},
    {"range", 1, OVERLAY_OK, st_range},
    {"strength", 1, OVERLAY_OK, st_strength},
    {"velocity", 1, OVERLAY_OK, st_velocity},
    {"pos", 1, OVERLAY_OK, st_pos},
    {"radius", 1, OVERLAY_OK, st_radius},
    {"shape", 1, OVERLAY_OK, st_shape},
    {"material", 1, OVERLAY_OK, st_material},
    {"flag", 1, OVERLAY_OK, st_flag},
    {"color", 1, OVERLAY_OK, st_color},
    {"visible", 1, OVERLAY_OK, st_visible},
    {"force", 1, OVERLAY_OK, st_force},
    {"thrust", 1, OVERLAY_OK, st_thrust},
    {"blood", 0, OVERLAY_OK, st_blood},
    {"rot", 1, OVERLAY_OK, st_rot},
    {"axis", 1, OVERLAY_OK, st_axis},
    {"hold", 0, OVERLAY_OK, st_hold},
    {"relax", 0, OVERLAY_OK, st_relax},
    {"hold_active", 0, OVERLAY_OK, st_hold_active},
    {"relax_active", 0, OVERLAY_OK, st_relax_active},
    {"player", 1, OVERLAY_REFUSED, st_player},
    {"gamerule", 0, OVERLAY_ENDS_BLOCK, st_gamerule},
    {"env_obj", 1, OVERLAY_ENDS_BLOCK, st_env_obj},
    {"mass", 1, OVERLAY_OK, st_mass},
    {"density", 1, OVERLAY_OK, st_density},
    {"dm_threshold", 1, OVERLAY_OK, st_dm_threshold},
    {"env_obj_joint", 1, OVERLAY_ENDS_BLOCK, st_env_obj_joint},
};

const ModStatement *mod_statement_table(void) { return k_statements; }

static const ModStatement *find_statement(const char *word)
{
    for (const ModStatement &s : k_statements)
        if (strcmp(s.name, word) == 0)
            return &s;
    return nullptr;
}

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

void parse_mod_cmd(const char *text)
{
    if (!text)
        return;
    ModParser *ps = &g_parser;
    // The line end does not count towards the length.
    size_t len = strnlen(text, MOD_LINE_MAX + 3);
    while (len > 0 && (text[len - 1] == '\n' || text[len - 1] == '\r'))
        len--;
    if (len > MOD_LINE_MAX) {
        mod_error("Mod line longer than %d characters ignored\n", MOD_LINE_MAX);
        return;
    }
    char buf[MOD_LINE_MAX + 1];
    memcpy(buf, text, len);
    buf[len] = '\0';
    char *line = strip_blanks(buf);
    if (line[0] == '\0' || line[0] == '#')
        return;

    if (ps->mode == MOD_MODE_GAMERULE) {
        char key[256], value[MOD_LINE_MAX + 1];
        if (sscanf(line, "%255s %2048[^\n]", key, value) == 2 && set_rules_option(key, value, get_mod_rules()) == 0)
            return;
    }

    // The word ends at the first blank; a blank after it means an argument
    // was given, which may still hold nothing but white space.
    char word[MOD_LINE_MAX + 1];
    size_t w = 0;
    while (line[w] && !is_blank(line[w]))
        w++;
    memcpy(word, line, w);
    word[w] = '\0';
    const bool has_arg = line[w] != '\0';
    char *arg = line + w;
    while (*arg && isspace((unsigned char)*arg))
        arg++;
    char *end = arg + strlen(arg);
    while (end > arg && isspace((unsigned char)end[-1]))
        *--end = '\0';

    const ModStatement *s = find_statement(word);
    if (!s) {
        mod_error("parse_mod_cmd no op found %s\n", line);
        return;
    }
    if (s->takes_arg && !has_arg) {
        mod_error("%s needs a parameter\n", s->name);
        return;
    }
    if (s->takes_arg && arg[0] == '\0') {
        mod_error("load is empty for key %s\n", s->name);
        return;
    }
    if (ps->overlay && s->overlay != OVERLAY_OK) {
        mod_error("%s statement not allowed in a player's rpg overlay\n", s->name);
        if (s->overlay == OVERLAY_ENDS_BLOCK)
            open_block(ps, MOD_MODE_NONE);
        return;
    }
    s->run(ps, arg);
}
