#include "game/physics_dump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/base/utils.h"
#include "game/game_state.h"
#include "game/joints.h"

namespace {

void write_vector(FILE *f, const char *what, const dReal *v)
{
    fprintf(f, "%s %f %f %f\n", what, (double)v[0], (double)v[1], (double)v[2]);
}

void write_joints(FILE *f, int fighter, const Player *p)
{
    for (int j = 0; j < JOINT_COUNT; j++) {
        dJointID h = p->hinges[j];
        if (!h)
            continue;
        const int state = get_joint_state(fighter, j);
        fprintf(f, "%i %s fmax %f Vel %f\n", j, joint_id_name(j), (double)dJointGetHingeParam(h, dParamFMax),
                (double)dJointGetHingeParam(h, dParamVel));
        fprintf(f, "%i mussle %s %i\n", j, motor_state_name(state), state);
        const dJointFeedback &fb = p->hinge_feedback[j];
        fprintf(f, "jfb %i", j);
        for (const dReal *v : {fb.f1, fb.t1, fb.f2, fb.t2})
            fprintf(f, " %f %f %f", (double)v[0], (double)v[1], (double)v[2]);
        fprintf(f, "\n");
    }
}

void write_bodies(FILE *f, const Player *p)
{
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = p->bodies[b];
        if (!body)
            continue;
        dMass mass;
        dBodyGetMass(body, &mass);
        fprintf(f, "%i %s\n", b, body_name(b));
        write_vector(f, "force", dBodyGetForce(body));
        write_vector(f, "torque", dBodyGetTorque(body));
        write_vector(f, "velocity", dBodyGetLinearVel(body));
        write_vector(f, "position", dBodyGetPosition(body));
        write_vector(f, "angular", dBodyGetAngularVel(body));
        fprintf(f, "mass %f\n", (double)mass.mass);
        const GeomRecord *rec = p->body_geoms[b] ? (const GeomRecord *)dGeomGetData(p->body_geoms[b]) : nullptr;
        fprintf(f, "mussle %i\n", rec ? rec->joint : -1);
        fprintf(f, "damage %f\n", (double)p->hit_flash[b]);
    }
}

} // namespace

int dump_physics_state(const char *path)
{
    FILE *f = replace_file_open(path);
    if (!f) {
        fprintf(stderr, "Unable to open %s %s\n", path, strerror(errno));
        return 1;
    }
    for (int i = 0; i < fighter_count(); i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        fprintf(f, "%i injury %f\n", i, (double)p->injury);
        write_joints(f, i, p);
        write_bodies(f, p);
    }
    if (replace_file_commit(f, path) != 0) {
        fprintf(stderr, "Unable to open %s %s\n", path, strerror(errno));
        return 1;
    }
    return 0;
}
