// Stances: 32 slots of named poses. The world build stores the starting
// poses; the stance files "stance/<name>.sta" hold 21 lines of position and
// orientation.
#include "game/stance.h"
#include "game/pose_check.h"
#include "app/base/data_dirs.h"
#include "app/base/utils.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/text.h"

static StanceSlot g_slots[STANCE_SLOTS];


StanceSlot *get_stance_slot(int i) { return (i >= 0 && i < STANCE_SLOTS) ? &g_slots[i] : nullptr; }

void clear_stance_slots(void)
{
    for (StanceSlot &s : g_slots)
        s.name[0] = '\0';
}

int find_free_stance_slot(void)
{
    for (int i = 0; i < STANCE_SLOTS; i++)
        if (g_slots[i].name[0] == '\0')
            return i;
    return 0;
}

// The slot a stance of this name goes to: its own slot when it has one, else
// the lowest free slot; -1 when every slot holds another stance.
static int slot_for_name(const char *name)
{
    for (int i = STANCE_SLOTS - 1; i >= 0; i--)
        if (strncmp(g_slots[i].name, name, STANCE_NAME_SIZE - 1) == 0)
            return i;
    const int free_slot = find_free_stance_slot();
    if (g_slots[free_slot].name[0] != '\0') {
        fprintf(stderr, "Stance slots full, %s not stored\n", name);
        return -1;
    }
    return free_slot;
}

int store_stance_pose(int fighter, const char *name)
{
    Player *p = get_player(fighter);
    if (!p || !name || !*name || get_game_state()->players < 1)
        return -1;
    const int slot = slot_for_name(name);
    if (slot < 0)
        return -1;
    StanceSlot &s = g_slots[slot];
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *q = dBodyGetQuaternion(p->bodies[b]);
        const dReal *pos = dBodyGetPosition(p->bodies[b]);
        for (int k = 0; k < 4; k++)
            s.quat[b][k] = q[k];
        for (int k = 0; k < 3; k++)
            s.pos[b][k] = pos[k];
    }
    n_strncpyz(s.name, name, STANCE_NAME_SIZE);
    return slot;
}

void stance_hold_motors(int fighter)
{
    Player *p = get_player(fighter);
    if (!p)
        return;
    for (int j = 0; j < JOINT_COUNT; j++) {
        dJointSetHingeParam(p->hinges[j], dParamFMax, 5.0);
        dJointSetHingeParam(p->hinges[j], dParamVel, 0.0);
    }
}

int apply_stance(int fighter, int slot, double ox, double oy, double oz)
{
    Player *p = get_player(fighter);
    const StanceSlot *s = get_stance_slot(slot);
    if (!p || !s || s->name[0] == '\0')
        return 1;
    // The fighter holds still in the pose it is put into.
    stance_hold_motors(fighter);
    // A body whose stored pose cannot be set (or lands beyond the world
    // with the offset) keeps its own.
    int refused = 0;
    for (int b = 0; b < BODY_COUNT; b++) {
        const double pos[3] = {s->pos[b][0] + ox, s->pos[b][1] + oy, s->pos[b][2] + oz};
        if (!pose_quaternion_ok(s->quat[b]) || !pose_position_ok(pos)) {
            refused++;
            continue;
        }
        pose_set_quaternion(p->bodies[b], s->quat[b]);
        pose_set_position(p->bodies[b], pos);
        dBodySetLinearVel(p->bodies[b], 0, 0, 0);
        dBodySetAngularVel(p->bodies[b], 0, 0, 0);
    }
    if (refused)
        fprintf(stderr, "Stance %s: %d bodies refused (rotation or place unusable)\n", s->name, refused);
    return 0;
}

// One body line: position x, y, z, then quaternion w, x, y, z; a place in
// the world, a quaternion that can be normalised, nothing after the seven
// numbers.
static bool parse_stance_line(const char *line, double *pos, double *quat)
{
    double v[7];
    const char *s = line;
    for (double &x : v) {
        char *end;
        x = strtod(s, &end);
        if (end == s || !std::isfinite(x))
            return false;
        s = end;
    }
    while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\n')
        s++;
    if (*s != '\0')
        return false;
    if (!pose_position_ok(v) || !pose_quaternion_ok(v + 3))
        return false;
    for (int k = 0; k < 3; k++)
        pos[k] = v[k];
    for (int k = 0; k < 4; k++)
        quat[k] = v[3 + k];
    return true;
}

static bool blank_line(const char *s)
{
    for (; *s; s++)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n')
            return false;
    return true;
}

int load_stance(const char *name)
{
    if (!name || !is_safe_path(name, 0)) {
        fprintf(stderr, "Unable to open stance %s\n", name ? name : "");
        return 1;
    }
    char path[STANCE_NAME_SIZE + 16];
    snprintf(path, sizeof path, "stance/%s", name);
    FILE *f = fopen_regular(data_path(path), "r");
    if (!f) {
        fprintf(stderr, "Unable to open stance %s\n", name);
        return 1;
    }
    StanceSlot read;
    memset(&read, 0, sizeof read);
    char line[1024];
    int bodies = 0;
    bool ok = true;
    while (ok && fgets(line, sizeof line, f)) {
        if (!strchr(line, '\n') && !feof(f)) {
            ok = false;  // a line longer than the buffer
            break;
        }
        if (blank_line(line))
            continue;
        if (bodies >= BODY_COUNT || !parse_stance_line(line, read.pos[bodies], read.quat[bodies]))
            ok = false;
        else
            bodies++;
    }
    fclose(f);
    if (!ok || bodies != BODY_COUNT) {
        fprintf(stderr, "Unable to open stance %s: it must hold %d lines of 7 numbers\n", name, BODY_COUNT);
        return 1;
    }
    char stored[STANCE_NAME_SIZE];
    n_strncpyz(stored, name, sizeof stored);
    const size_t len = strlen(stored);
    if (len > 4 && strcmp(stored + len - 4, ".sta") == 0)
        stored[len - 4] = '\0';
    const int slot = find_free_stance_slot();
    if (g_slots[slot].name[0] != '\0') {
        fprintf(stderr, "Stance slots full, %s not loaded\n", stored);
        return 1;
    }
    n_strncpyz(read.name, stored, STANCE_NAME_SIZE);
    g_slots[slot] = read;
    return 0;
}

int save_stance(void)
{
    int result = 0;
    for (const StanceSlot &s : g_slots) {
        if (s.name[0] == '\0')
            continue;
        char path[STANCE_NAME_SIZE + 16];
        snprintf(path, sizeof path, "stance/%s.sta", s.name);
        // Written to a temporary name and renamed, so a failed write keeps
        // the stance that was saved before.
        FILE *f = is_safe_path(s.name, 0) ? replace_file_open(data_path(path)) : nullptr;
        if (!f) {
            fprintf(stderr, "Unable to open %s\n", path);
            result = 1;
            continue;
        }
        for (int b = 0; b < BODY_COUNT; b++)
            fprintf(f, "%4f %4f %4f %4f %4f %4f %4f\n", s.pos[b][0], s.pos[b][1], s.pos[b][2],
                    s.quat[b][0], s.quat[b][1], s.quat[b][2], s.quat[b][3]);
        if (replace_file_commit(f, data_path(path)) != 0) {
            fprintf(stderr, "Unable to write %s\n", path);
            result = 1;
        }
    }
    return result;
}
