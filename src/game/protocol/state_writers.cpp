#include "game/protocol/state_writers.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "game/env_objects.h"
#include "game/joints.h"

namespace {

// An output buffer that remembers when it ran out of room.
struct Out {
    char *dst;
    int size;
    int len;
    bool full;
};

void put(Out *o, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void put(Out *o, const char *fmt, ...)
{
    if (o->full)
        return;
    va_list ap;
    va_start(ap, fmt);
    const int room = o->size - o->len;
    const int n = room > 0 ? vsnprintf(o->dst + o->len, (size_t)room, fmt, ap) : -1;
    va_end(ap);
    if (n < 0 || n >= room)
        o->full = true;
    else
        o->len += n;
}

void put_byte(Out *o, char c)
{
    if (o->full || o->len + 1 >= o->size)
        o->full = true;
    else
        o->dst[o->len++] = c;
}

// A value in millionths as a little-endian 32-bit word, held to the range
// of the word.
void put_word(Out *o, int32_t v)
{
    const uint32_t u = (uint32_t)v;
    for (int k = 0; k < 4; k++)
        put_byte(o, (char)((u >> (8 * k)) & 0xff));
}

void put_millionths(Out *o, double v)
{
    const double m = std::isfinite(v) ? std::round(v * 1e6) : 0.0;
    put_word(o, m >= 2147483647.0 ? INT32_MAX : m <= -2147483648.0 ? INT32_MIN : (int32_t)m);
}

// The block line: "<head> <number>;", a NUL, the count word (the values
// and itself), the values, "\n".
void put_block(Out *o, const char *head, int number, const double *v, int n)
{
    put(o, "%s %i;", head, number);
    put_byte(o, '\0');
    put_word(o, n + 1);
    for (int k = 0; k < n; k++)
        put_millionths(o, v[k]);
    put_byte(o, '\n');
}

void put_values_line(Out *o, const char *head, int number, const double *v, int n, const char *form)
{
    put(o, "%s %i;", head, number);
    for (int k = 0; k < n; k++)
        put(o, form, v[k]);
    put(o, "\n");
}

int finish(Out *o)
{
    if (o->full)
        return -1;
    if (o->len < o->size)
        o->dst[o->len] = '\0';
    return o->len;
}

bool fighter_ok(int i) { return i >= 0 && i < MAX_FIGHTERS && get_player(i) && get_player(i)->built; }

// The body rows of a part: the values and how many.
const double *body_rows(const FighterStateRecord *s, int part, int *n)
{
    switch (part) {
    case STATE_POS: *n = BODY_COUNT * 3; return &s->positions[0][0];
    case STATE_QAT: *n = BODY_COUNT * 4; return &s->rotations[0][0];
    case STATE_ANGVEL: *n = BODY_COUNT * 3; return &s->angular_vel[0][0];
    case STATE_LINVEL: *n = BODY_COUNT * 3; return &s->linear_vel[0][0];
    default: *n = 0; return nullptr;
    }
}

const char *const k_part_heads[STATE_PARTS] = {"POS",   "QAT",   "ANGVEL",   "LINVEL",    "CRUSH",
                                               "FRACT", "JOINT", "HINGEVEL", "HINGEFMAX", "GRIP"};

void put_part(Out *o, int i, int part, int block, const FighterStateRecord *s)
{
    const char *head = k_part_heads[part];
    int n = 0;
    if (const double *v = body_rows(s, part, &n)) {
        if (block) {
            char name[16];
            snprintf(name, sizeof name, "P_%s", head);
            put_block(o, name, i, v, n);
        } else {
            put_values_line(o, head, i, v, n, " %.8f");
        }
        return;
    }
    switch (part) {
    case STATE_CRUSH:
    case STATE_FRACT: {
        const int kind = part == STATE_CRUSH ? JOINT_DISMEMBERED : JOINT_FRACTURED;
        put(o, "%s %i;", head, i);
        for (int j = 0; j < JOINT_COUNT; j++)
            if (s->broken[j] == kind)
                put(o, " %i", j);
        put(o, "\n");
        break;
    }
    case STATE_JOINT:
        put(o, "%s %i;", head, i);
        for (int j = 0; j < JOINT_COUNT; j++)
            put(o, " %i %i", j, (int)s->joint_states[j]);
        put(o, "\n");
        break;
    case STATE_HINGEVEL: put_values_line(o, head, i, s->hinge_vel, JOINT_COUNT, " %.4f"); break;
    case STATE_HINGEFMAX: put_values_line(o, head, i, s->hinge_fmax, JOINT_COUNT, " %.4f"); break;
    case STATE_GRIP: put(o, "%s %i;%i %i\n", head, i, (int)s->grips[GRIP_LEFT], (int)s->grips[GRIP_RIGHT]); break;
    default: o->full = true; break;
    }
}

int write_parts(int i, int blocks, const FighterStateRecord *s, char *dst, int size)
{
    if (!fighter_ok(i) || !s || !dst || size <= 0)
        return -1;
    Out o = {dst, size, 0, false};
    for (int part = 0; part < STATE_PARTS; part++)
        put_part(&o, i, part, blocks && part < STATE_BLOCK_PARTS, s);
    return finish(&o);
}

} // namespace

int take_fighter_state(int i, FighterStateRecord *out)
{
    if (!fighter_ok(i) || !out)
        return 1;
    const Player *p = get_player(i);
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = p->bodies[b];
        memcpy(out->positions[b], dBodyGetPosition(body), sizeof out->positions[b]);
        memcpy(out->rotations[b], dBodyGetQuaternion(body), sizeof out->rotations[b]);
        memcpy(out->angular_vel[b], dBodyGetAngularVel(body), sizeof out->angular_vel[b]);
        memcpy(out->linear_vel[b], dBodyGetLinearVel(body), sizeof out->linear_vel[b]);
    }
    for (int j = 0; j < JOINT_COUNT; j++) {
        out->broken[j] = p->joints[j].broken;
        out->joint_states[j] = get_joint_state(i, j);
        out->hinge_vel[j] = dJointGetHingeParam(p->hinges[j], dParamVel);
        out->hinge_fmax[j] = dJointGetHingeParam(p->hinges[j], dParamFMax);
    }
    out->grips[GRIP_LEFT] = p->grip_state[GRIP_LEFT];
    out->grips[GRIP_RIGHT] = p->grip_state[GRIP_RIGHT];
    return 0;
}

int write_fighter_state_part(int i, int part, int block, const FighterStateRecord *s, char *dst, int size)
{
    if (!fighter_ok(i) || !s || !dst || size <= 0 || part < 0 || part >= STATE_PARTS ||
        (block && part >= STATE_BLOCK_PARTS))
        return -1;
    Out o = {dst, size, 0, false};
    put_part(&o, i, part, block, s);
    return finish(&o);
}

int write_fighter_state_lines(int i, const FighterStateRecord *s, char *dst, int size)
{
    return write_parts(i, 0, s, dst, size);
}

int write_fighter_state_blocks(int i, const FighterStateRecord *s, char *dst, int size)
{
    return write_parts(i, 1, s, dst, size);
}

void take_env_state(EnvStateRecord *out)
{
    if (!out)
        return;
    memset(out, 0, sizeof *out);
    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        const EnvObjectBody *o = get_env_object(k);
        if (!env_object_takes_state(k) || !o || !o->body)
            continue;
        const int n = out->count++;
        out->slot[n] = k;
        memcpy(out->positions[n], dBodyGetPosition(o->body), sizeof out->positions[n]);
        memcpy(out->rotations[n], dBodyGetQuaternion(o->body), sizeof out->rotations[n]);
        memcpy(out->angular_vel[n], dBodyGetAngularVel(o->body), sizeof out->angular_vel[n]);
        memcpy(out->linear_vel[n], dBodyGetLinearVel(o->body), sizeof out->linear_vel[n]);
    }
}

int write_env_state_lines(const EnvStateRecord *s, char *dst, int size)
{
    if (!s || !dst || size <= 0 || s->count < 0 || s->count > ENV_OBJECT_COUNT)
        return -1;
    Out o = {dst, size, 0, false};
    if (s->count > 0) {
        const char *const heads[4] = {"EPOS", "EQAT", "EANGVEL", "ELINVEL"};
        for (int line = 0; line < 4; line++) {
            put(&o, "%s 0;", heads[line]);
            for (int n = 0; n < s->count; n++) {
                const double *v = line == 0 ? s->positions[n] : line == 1 ? s->rotations[n]
                                : line == 2 ? s->angular_vel[n] : s->linear_vel[n];
                for (int c = 0; c < (line == 1 ? 4 : 3); c++)
                    put(&o, " %.8f", v[c]);
            }
            put(&o, "\n");
        }
    }
    return finish(&o);
}

int write_env_state_block(const EnvStateRecord *s, char *dst, int size)
{
    if (!s || !dst || size <= 0 || s->count < 0 || s->count > ENV_OBJECT_COUNT)
        return -1;
    Out o = {dst, size, 0, false};
    if (s->count > 0) {
        double v[ENV_OBJECT_COUNT * 13];
        for (int n = 0; n < s->count; n++) {
            double *d = v + 13 * n;
            memcpy(d, s->positions[n], 3 * sizeof(double));
            memcpy(d + 3, s->rotations[n], 4 * sizeof(double));
            memcpy(d + 7, s->angular_vel[n], 3 * sizeof(double));
            memcpy(d + 10, s->linear_vel[n], 3 * sizeof(double));
        }
        put_block(&o, "P_ENV", 0, v, 13 * s->count);
    }
    return finish(&o);
}
