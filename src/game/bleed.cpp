// One frame of bleeding of a dismembered joint: drops leave the joint's
// sphere along the direction from the carrying body's centre.
#include "game/bleed.h"
#include <cmath>
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/game_state.h"
#include "game/world_physics.h"

void bleed(int i, int j)
{
    Player *p = get_player(i);
    if (!p || j < 0 || j >= JOINT_COUNT)
        return;
    dBodyID body = p->bodies[joint_sphere_body(j)];
    double pos[3];
    geom_transform_world(p->joint_geoms[j], pos, nullptr);
    const dReal *c = dBodyGetPosition(body);
    double d[3] = {pos[0] - c[0], pos[1] - c[1], pos[2] - c[2]};
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len > 1e-9) {
        d[0] /= len; d[1] /= len; d[2] /= len;
    } else {
        // A sphere at the body's centre has no direction: bleed upwards.
        d[0] = 0; d[1] = 0; d[2] = 1;
    }
    const dReal *v = dBodyGetLinearVel(body);
    const double s = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    JointState &js = p->joints[j];
    double a = std::fabs(s - js.last_speed);
    if (a > 20)
        a = 20;
    js.last_speed = s;
    for (int k = 4; a > 0 && k < 10; k++, a -= 10) {
        const double factor = 1.0 + a * 0.05 - d[2];
        if (factor < 0)
            break;
        spawn_bleed_drop(i, j + 21, pos, d, k, factor);
    }
    js.bleeding -= 1.0f;
}
