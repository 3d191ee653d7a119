// A fighter's body and joint rows built from the built-in templates with
// three proportion factors (RPG statistics, the figure drawer).
#include <algorithm>
#include <cmath>
#include <cstring>
#include "game/body_template.h"
#include "game/body_defs.h"

static float scale_about(float x, float pivot, float f) { return pivot + (x - pivot) * f; }

void scale_body_template(BodyDef *bodies, JointDef *joints, float a, float b, float c)
{
    memcpy(bodies, builtin_body_table(), 21 * sizeof(BodyDef));
    memcpy(joints, builtin_joint_table(), 20 * sizeof(JointDef));
    const float xr = builtin_joint_table()[5].pos[0];
    const float xl = builtin_joint_table()[8].pos[0];
    const float sqrt_a = std::sqrt(a);

    for (int j = 0; j < 20; j++) {
        JointDef &jd = joints[j];
        jd.pos[1] = (jd.pos[1] - 1) * b;
        jd.pos[2] = jd.pos[2] * c;
        jd.radius = jd.radius * sqrt_a;
        if (j == 6 || j == 10)
            jd.pos[0] = scale_about(jd.pos[0], xr, c);
        else if (j == 9 || j == 11)
            jd.pos[0] = scale_about(jd.pos[0], xl, c);
    }

    for (int i = 0; i < 21; i++) {
        BodyDef &bd = bodies[i];
        bd.pos[1] = (bd.pos[1] - 1) * b;
        bd.pos[2] = bd.pos[2] * c;
        if (i == 6 || i == 7 || i == 11)
            bd.pos[0] = scale_about(bd.pos[0], xr, c);
        else if (i == 9 || i == 10 || i == 12)
            bd.pos[0] = scale_about(bd.pos[0], xl, c);

        float *s = bd.sides;
        // The third side: as for any other part of the same index.
        float third;
        if (i == 0)
            third = s[2];
        else if (i == 6 || i == 7 || i == 9 || i == 10 || i == 11 || i == 12)
            third = s[2] * a;
        else
            third = s[2] * c;

        if (bd.shape == SHAPE_CAPSULE) {
            const float r = s[0];
            const float r2 = r * a;
            s[1] = std::max((2 * r + s[1]) * c - 2 * r2, 0.01f);
            s[0] = r2;
            s[2] = third;
            continue;
        }
        if (i == 0)
            continue;
        if (i == 6 || i == 7) {
            s[0] = s[0] * 1.6f * c; s[1] *= b; s[2] *= a;
        } else if (i == 9 || i == 10) {
            s[0] *= c; s[1] *= b; s[2] *= a;
        } else if (i == 11 || i == 12) {
            s[1] *= b; s[2] *= a;
        } else {
            s[0] *= a; s[1] *= b; s[2] *= c;
        }
    }
}
