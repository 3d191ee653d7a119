#include "app/screen_points_gl.h"

#include "app/base/options.h"
#include "app/scene_gl.h"
#include "render/fighter_look.h"
#include "render/screen_points.h"

// A point in front of the camera (depth 0..1) projects; others are not shown.
static int project(const double *at, float dz, float *x, float *y)
{
    double s[3];
    if (world_to_screen((float)at[0], (float)at[1], (float)(at[2] + dz), s) != 0 || s[2] < 0 || s[2] > 1)
        return 0;
    *x = (float)s[0];
    *y = (float)s[1];
    return 1;
}

void refresh_screen_points(const WorldState *)
{
    float x = 0, y = 0;
    if (option_get(OPT_ALTIMETER)) {
        const FrameMax *m = get_frame_max(MAX_HEIGHT_FRAME);
        const Player *p = get_player(m->fighter);
        const int ok = m->value > 0 && p && m->body >= 0 && m->body < BODY_COUNT && p->bodies[m->body] &&
                       project(dBodyGetPosition(p->bodies[m->body]), 0, &x, &y);
        set_altimeter_point(x, y, ok);
    }
    for (int i = 0; i < SCREEN_LABEL_FIGHTERS; i++) {
        const Player *p = i < fighter_count() ? get_player(i) : nullptr;
        const int ok = p && p->bodies[0] && project(dBodyGetPosition(p->bodies[0]), 0.5f, &x, &y);
        set_label_point(i, x, y, ok);
    }
}
