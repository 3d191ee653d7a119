// Colliding a space: the near callback and the contact records.
#pragma once
#include <ode/ode.h>

enum {
    CONTACT_RECORDS = 16,
    CONTACTS_PER_PAIR = 8,
    // Contact joints of one collision pass among bodies, far above a
    // fight's; pairs beyond it get none. Blood drops never take the
    // fighters' and objects' contacts: a drop on the floor counts in a bound
    // of its own (one joint each, the whole ring of 256 drops), a drop on a
    // body only takes what room the pairs without a drop leave.
    CONTACT_JOINTS_PER_STEP = 256,
    DROP_CONTACT_JOINTS_PER_STEP = 256,
};

struct ContactRecord {
    dJointFeedback feedback;
    int body_id[2];
    int fighter[2];
    double cross[3];
    double pos[3];
    double rel_speed;
    int other_kind;
};

// The ten statistics counters of the near callback, zeroed at each live step.
enum ContactStat {
    STAT_CALLS,            // callback calls
    STAT_SKIPPED,          // pairs skipped (joined bodies, held object)
    STAT_FIGHTERS,         // pairs of different fighters' bodies
    STAT_SAME_FIGHTER,     // pairs of one fighter's bodies
    STAT_OTHER,            // every other pair
    STAT_SURFACES,         // surfaces set
    STAT_OWNERS_TOUCHING,  // pairs of different owners touching
    STAT_TOUCHING,         // pairs touching
    STAT_NOT_TOUCHING,     // pairs tested without a contact
    STAT_CONTACTS,         // contact joints made
    CONTACT_STAT_COUNT
};

// How far from the origin a body may be, in metres on each axis. The hash
// space numbers its cells (an eighth of a metre at the finest) in 32-bit
// integers and ODE aborts on a geom beyond them; a huge gravity or step size,
// a placement far out or a long fall upwards would carry bodies there.
constexpr double WORLD_POSITION_LIMIT = 1e6;

void near_callback(void *data, dGeomID a, dGeomID b);
// Brings every body of the space that is outside WORLD_POSITION_LIMIT, or
// whose state is not finite, back to the limit at rest; returns how many.
int keep_bodies_in_world(dSpaceID space);
// Keeps the space's bodies in the world, then collides it.
void collide_space(dSpaceID space);
ContactRecord *get_contact_records(void);
int get_contact_count(void);
void clear_contact_records(void);
// Appends one record (for tools and tests); 1 when all 16 are taken.
int push_contact_record(const ContactRecord *r);
const int *get_contact_stats(void);
void reset_contact_stats(void);
