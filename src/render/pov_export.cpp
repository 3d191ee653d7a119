#include "render/pov_export.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/blood.h"
#include "game/contact_damage.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/world_physics.h"
#include "net/records/custom_record.h"
#include "render/color_table.h"
#include "render/fighter_look.h"

namespace {

PovCameraSource g_camera;
FILE *g_anim;
char g_anim_path[512];

enum { ROW_UNSET_JOINT = 1 };     // white

// A value the ray tracer can read: "nan" and "inf" would end its parse, so
// they are written as 0.
double fin(double v) { return std::isfinite(v) ? v : 0.0; }

} // namespace

const char *pov_comment_name(const char *name, char *out, int size)
{
    if (!out || size <= 0)
        return "";
    int n = 0;
    for (const char *p = name ? name : ""; *p && n < size - 1; p++) {
        const char c = *p;
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '-';
        out[n++] = ok ? c : '_';
    }
    out[n] = '\0';
    return out;
}

namespace {

void rgb_of_row(int row, double rgb[3])
{
    float c[3];
    get_color_rgb(row, c);
    for (int k = 0; k < 3; k++)
        rgb[k] = c[k];
}

// The rotation of a geom row by row, and its position, a transform's inner
// geom included.
void geom_pose(dGeomID g, double pos[3], double rot[9])
{
    const dReal *p = dGeomGetPosition(g);
    const dReal *R = dGeomGetRotation(g);
    for (int k = 0; k < 3; k++)
        pos[k] = fin(p[k]);
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            rot[r * 3 + c] = fin(R[r * 4 + c]);
}

void body_motion(dBodyID b, double vel[3], double ang[3])
{
    for (int k = 0; k < 3; k++)
        vel[k] = ang[k] = 0;
    if (!b)
        return;
    const dReal *v = dBodyGetLinearVel(b), *a = dBodyGetAngularVel(b);
    for (int k = 0; k < 3; k++) {
        vel[k] = fin(v[k]);
        ang[k] = fin(a[k]);
    }
}

void write_camera(FILE *f)
{
    float eye[3] = {0, -4, 2}, look[3] = {0, 0, 0};
    if (g_camera)
        g_camera(eye, look);
    fprintf(f, "Camera(%f, %f, %f,  %f, %f, %f)\n", fin(eye[0]), fin(eye[1]), fin(eye[2]), fin(look[0]),
            fin(look[1]), fin(look[2]));
}

void write_blood(FILE *f)
{
    fprintf(f, "blob {\n");
    for (int i = 0; i < BLOOD_DROP_COUNT; i++) {
        const BloodDrop *d = get_blood_drop(i);
        double pos[3] = {0, 0, 0}, vel[3], ang[3], rgb[3];
        if (d && d->body) {
            const dReal *p = dBodyGetPosition(d->body);
            for (int k = 0; k < 3; k++)
                pos[k] = fin(p[k]);
        }
        body_motion(d ? d->body : nullptr, vel, ang);
        rgb_of_row(d && d->color_index != 0 ? d->color_index : COLOR_BLOOD, rgb);
        fprintf(f, "Blood (%f, %f, %f, %f, %f, %f, %f, %f, %f, %f, %.2f, %.2f, %.2f)\n", pos[0], pos[1], pos[2],
                fin(d ? d->size : 0), vel[0], vel[1], vel[2], ang[0], ang[1], ang[2], rgb[0], rgb[1], rgb[2]);
    }
    fprintf(f, "}\n");
}

// A joint's row, from the fighter's joint colour rows as the drawing takes
// them: the plain joint row while a replay plays, else the force row for a
// held joint and the relax row for any other state; white where the chosen
// row is not set.
int joint_row(int fighter, int joint)
{
    const FighterLook *look = get_fighter_look(fighter);
    if (!look || joint < 0 || joint >= JOINT_COUNT)
        return ROW_UNSET_JOINT;
    int row;
    if (get_game_globals()->replay_mode == 1)
        row = look->joint_row[joint];
    else if (get_joint_state(fighter, joint) == MOTOR_HOLD)
        row = look->joint_force[joint];
    else
        row = look->joint_relax[joint];
    row = checked_colour_row(row, "joint colour");
    return row != 0 ? row : ROW_UNSET_JOINT;
}

void write_joints(FILE *f, int fighter, const Player *p)
{
    char name[64];
    for (int j = 0; j < JOINT_COUNT; j++) {
        dGeomID g = p->joint_geoms[j];
        dGeomID sphere = p->joint_spheres[j];
        if (!g || !sphere || dGeomGetClass(sphere) != dSphereClass)
            continue;
        double pos[3], vel[3], ang[3], rgb[3];
        geom_world_pose(g, pos, nullptr);
        for (double &v : pos)
            v = fin(v);
        body_motion(dGeomGetBody(g), vel, ang);
        rgb_of_row(joint_row(fighter, j), rgb);
        fprintf(f, "Joint (%f, %f, %f, %f, %f, %f, %f, %f, %f, %f, %.1f, %.1f, %.1f)// %s\n", pos[0], pos[1], pos[2],
                fin(dGeomSphereGetRadius(sphere)), vel[0], vel[1], vel[2], ang[0], ang[1], ang[2], rgb[0], rgb[1],
                rgb[2], pov_comment_name(joint_id_name(j), name, (int)sizeof name));
    }
}

bool is_torso_part(int b) { return b == BREAST || b == CHEST || b == R_PECS || b == L_PECS; }

// A body part's colour: a torso part whose gradient pair is not set takes
// the fighter's own colour row (the chest its breast's customisation row
// first), one whose pair is set its own customisation row; the other parts
// are white, or the blend of their pair. A bruised part is the fighter's
// body colour blended toward red.
void body_rgb(const WorldState *w, int fighter, int b, const Player *p, double rgb[3])
{
    const CustomRecord *rec = get_custom_record(fighter);
    const int c1 = rec ? checked_colour_row(rec->grad_color1[b], "GRADCOL1") : 0;
    const int c2 = rec ? checked_colour_row(rec->grad_color2[b], "GRADCOL2") : 0;
    float c[3];
    if (is_torso_part(b)) {
        int row;
        if (c1 == 0 && c2 == 0) {
            const int breast = rec ? checked_colour_row(rec->body_color[BREAST], "BODCOL") : 0;
            row = b == CHEST && breast != 0 ? breast : checked_colour_row(p->colour, "fighter colour");
        } else {
            row = rec ? checked_colour_row(rec->body_color[b], "BODCOL") : 0;
        }
        get_color_rgb(row, c);
    } else if (c1 == 0 && c2 == 0) {
        c[0] = c[1] = c[2] = 1;
    } else {
        float a[3], z[3];
        get_color_rgb(c1, a);
        get_color_rgb(c2, z);
        blend_colors(a, z, 0.6f, c);
    }
    if (p->hit_flash[b] > 0.001f)
        body_colour_blended(w, fighter, b, c);
    for (int k = 0; k < 3; k++)
        rgb[k] = fin(c[k]);
}

void write_bodies(FILE *f, const WorldState *w, int fighter, const Player *p)
{
    char name[64];
    for (int b = 0; b < BODY_COUNT; b++) {
        dGeomID g = p->body_geoms[b];
        if (!g)
            continue;
        const int cls = dGeomGetClass(g);
        if (cls != dBoxClass && cls != dCapsuleClass && cls != dSphereClass)
            continue;
        double rgb[3], pos[3], R[9], vel[3], ang[3];
        body_rgb(w, fighter, b, p, rgb);
        geom_pose(g, pos, R);
        body_motion(p->bodies[b], vel, ang);
        pov_comment_name(body_name(b), name, (int)sizeof name);
        if (cls == dBoxClass) {
            dVector3 s;
            dGeomBoxGetLengths(g, s);
            fprintf(f,
                    "Body (%f, %f, %f,  %f, %f, %f,    %f, %f, %f,   %f, %f, %f,   %f, %f, %f,   %f,  %f,  %f, %f, "
                    "%f, %f, %f, %f, %f) //%s sides, pos, rot, vel, angvel\n",
                    rgb[0], rgb[1], rgb[2], fin(s[0]), fin(s[1]), fin(s[2]), R[0], R[1], R[2], R[3], R[4], R[5], R[6],
                    R[7], R[8], pos[0], pos[1], pos[2], vel[0], vel[1], vel[2], ang[0], ang[1], ang[2], name);
        } else if (cls == dCapsuleClass) {
            dReal rad, len;
            dGeomCapsuleGetParams(g, &rad, &len);
            fprintf(f,
                    "BodyCapsule (%f, %f, %f,  %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, "
                    "%f, %f, %f, %f) //%s sides, pos, rot, vel, angvel\n",
                    rgb[0], rgb[1], rgb[2], fin(rad), fin(len), R[0], R[1], R[2], R[3], R[4], R[5], R[6], R[7], R[8],
                    pos[0], pos[1], pos[2], vel[0], vel[1], vel[2], ang[0], ang[1], ang[2], name);
        } else {
            fprintf(f,
                    "BodySphere (%f , %f , %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f, %f, %f, %f, "
                    "%f, %f, %f) //%s sides, pos, rot, vel, angvel\n",
                    rgb[0], rgb[1], rgb[2], fin(dGeomSphereGetRadius(g)), R[0], R[1], R[2], R[3], R[4], R[5], R[6],
                    R[7], R[8], pos[0], pos[1], pos[2], vel[0], vel[1], vel[2], ang[0], ang[1], ang[2], name);
        }
    }
}

void write_env_objects(FILE *f)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        const EnvObjectBody *o = get_env_object(i);
        if (!o || !o->geom)
            continue;
        double pos[3], R[9];
        geom_pose(o->geom, pos, R);
        const double r = fin(o->color[0]), g = fin(o->color[1]), b = fin(o->color[2]);
        // How far light passes through the capsule and the sphere; a box
        // line carries a constant 1.0 in that place (the include draws
        // boxes solid).
        const double clear = fin(1.0 - o->color[3]);
        switch (dGeomGetClass(o->geom)) {
        case dBoxClass: {
            dVector3 s;
            dGeomBoxGetLengths(o->geom, s);
            fprintf(f,
                    "EnvBox (%f, %f, %f, %f,  %f, %f, %f,    %f, %f, %f,   %f, %f, %f,   %f, %f, %f,   %f,  %f,  "
                    "%f) //env %i sides, pos, rot\n",
                    r, g, b, 1.0, fin(s[0]), fin(s[1]), fin(s[2]), R[0], R[1], R[2], R[3], R[4], R[5], R[6], R[7],
                    R[8], pos[0], pos[1], pos[2], i);
            break;
        }
        case dCapsuleClass: {
            dReal rad, len;
            dGeomCapsuleGetParams(o->geom, &rad, &len);
            fprintf(f,
                    "EnvCapsule (%f, %f, %f, %f,  %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f) //env "
                    "%i sides, pos, rot\n",
                    r, g, b, clear, fin(rad), fin(len), R[0], R[1], R[2], R[3], R[4], R[5], R[6], R[7], R[8], pos[0],
                    pos[1], pos[2], i);
            break;
        }
        case dSphereClass:
            fprintf(f,
                    "EnvSphere (%f, %f, %f, %f,  %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f,  %f, %f, %f) //env %i "
                    "sides, pos, rot\n",
                    r, g, b, clear, fin(dGeomSphereGetRadius(o->geom)), R[0], R[1], R[2], R[3], R[4], R[5], R[6],
                    R[7], R[8], pos[0], pos[1], pos[2], i);
            break;
        default:
            break;
        }
    }
}

// A disqualification marker shows while its countdown runs; one at the full
// countdown only in the frame that set it (an older full one is stale).
void write_impacts(FILE *f, const WorldState *w)
{
    for (int i = 0; i < fighter_count(); i++) {
        const GroundImpact *g = get_ground_impact(i);
        if (!g || g->frame < 0)
            continue;
        const int t = g->countdown;
        if (t <= 0 || (t == GROUND_IMPACT_COUNTDOWN && g->frame != w->frame))
            continue;
        double rgb[3];
        rgb_of_row(g->colour, rgb);
        const double a = t * 0.01;
        fprintf(f, "Impact (%f, %f, %f, %f, %f, %f, %f, %f, %f) // DQ impact, pos3, radius, time, r, g, b, a\n",
                fin(g->pos[0]), fin(g->pos[1]), 0.01, (100 - t) * 0.2, (double)t, rgb[0], rgb[1], rgb[2], a * a * a);
    }
}

// The file is written under a temporary name beside path and renamed over
// path once all of it reached the disk.
int commit(FILE *f, const char *path)
{
    if (replace_file_commit(f, data_path(path)) != 0) {
        fprintf(stderr, "Unable to write %s\n", path);
        return 1;
    }
    return 0;
}

FILE *open_beside(const char *path)
{
    if (path && path[0])
        ensure_parent_dirs(data_path(path));
    FILE *f = path && path[0] && strlen(path) < sizeof g_anim_path ? replace_file_open(data_path(path)) : nullptr;
    if (!f) {
        const int e = errno;
        fprintf(stderr, "Unable to open %s\n", path ? path : "");
        errno = e;
        perror(path ? path : "");
    }
    return f;
}

} // namespace

void pov_set_camera_source(PovCameraSource source) { g_camera = source; }

void pov_write_scene(FILE *f)
{
    if (!f)
        return;
    const WorldState *w = get_game_state();
    write_camera(f);
    write_blood(f);
    for (int i = 0; i < fighter_count(); i++)
        if (const Player *p = get_player(i)) {
            fighter_look_from_custom(i);     // the joint rows as the customisation stands
            write_joints(f, i, p);
        }
    for (int i = 0; i < fighter_count(); i++)
        if (const Player *p = get_player(i))
            write_bodies(f, w, i, p);
    write_env_objects(f);
    write_impacts(f, w);
}

int pov_save_scene(const char *path)
{
    FILE *f = open_beside(path);
    if (!f)
        return 1;
    fprintf(f, "#include \"glossy.inc\"\n");
    pov_write_scene(f);
    return commit(f, path);
}

int pov_open_animation(const char *path)
{
    if (g_anim)
        pov_close_animation();
    FILE *f = open_beside(path);
    if (!f)
        return 1;
    g_anim = f;
    n_strncpyz(g_anim_path, path, (int)sizeof g_anim_path);
    fprintf(f, "#include \"glossy.inc\"\n");
    fprintf(f, "#switch (frame_number)\n");
    return 0;
}

void pov_write_animation_frame(int n)
{
    if (!g_anim)
        return;
    fprintf(g_anim, "#case (%i)\n", n);
    pov_write_scene(g_anim);
    fprintf(g_anim, "#break\n\n");
}

int pov_close_animation(void)
{
    if (!g_anim)
        return 1;
    fprintf(g_anim, "#end\n");
    FILE *f = g_anim;
    g_anim = nullptr;
    return commit(f, g_anim_path);
}

int pov_animation_open(void) { return g_anim != nullptr; }

int pov_free_name(const char *path, char *out, int size)
{
    if (!path || !out || size <= 0 || (int)strlen(path) >= size)
        return 1;
    if (!file_exists(data_path(path))) {
        n_strncpyz(out, path, size);
        return 0;
    }
    for (int i = 1; i <= NEW_FILE_MAX_COUNT; i++) {
        if (counted_name(out, size, path, i) != 0)
            return 1;
        if (!file_exists(data_path(out)))
            return 0;
    }
    return 1;
}
