// Colliding a space: the near callback, the contact records, and one physics
// step of the live world.
#pragma once
#include <ode/ode.h>

enum { CONTACT_RECORDS = 16, CONTACTS_PER_PAIR = 8 };

struct ContactRecord {
    dJointFeedback feedback;
    int body_id[2];
    int fighter[2];
    double cross[3];
    double pos[3];
    double rel_speed;
    int other_kind;
};

void near_callback(void *data, dGeomID a, dGeomID b);
void collide_space(dSpaceID space);
// Collide the live space, one world step, empty the contact group.
void world_physics_step(void);
ContactRecord *get_contact_records(void);
int get_contact_count(void);
void clear_contact_records(void);
