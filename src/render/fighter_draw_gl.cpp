#include "render/fighter_draw_gl.h"
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <GL/glew.h>
#include <cmath>
#include <initializer_list>

#include "app/base/options.h"
#include "game/dojo.h"
#include "game/env_objects.h"
#include "game/joints.h"
#include "game/turn_control.h"
#include "game/world_physics.h"
#include "render/color_table.h"
#include "render/fighter_look.h"
#include "render/fighter_skin_gl.h"
#include "render/fighter_textures.h"
#include "render/hud_theme.h"
#include "render/shapes_gl.h"
#include "render/shapes_textured_gl.h"
#include "render/world_colours.h"

namespace {

int g_view_mode;
const float k_identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

void to_float(const double *in, float *out, int n)
{
    for (int k = 0; k < n; k++)
        out[k] = (float)in[k];
}

// The viewer's own head (body 0) and neck (joint 0) in first person.
bool first_person_skip(int fighter, int part)
{
    return part == 0 && ((g_view_mode == 1 && fighter == 0) || (g_view_mode == 2 && fighter == 1));
}

// The fighter a record draws for: a ghost (records n..2n-1) is its fighter's.
int owner_of(int record)
{
    const int n = fighter_count();
    return record >= n ? record - n : record;
}

// The options hide a fighter and its ghost; the record's override shows it
// where the drawer allows.
bool record_shown(int record, const Player *p, bool allow_override)
{
    return fighter_shown(owner_of(record)) || (allow_override && p->draw_override != 0);
}

int look_row(int record, int32_t FighterLook::*field, const char *what)
{
    const FighterLook *look = get_fighter_look(record);
    return look ? checked_colour_row(look->*field, what) : 0;
}

// The drawn bruise of a part, and whether the frame fades it: only while the
// world runs (not frozen, no ghost preview) and, for full joints and
// bodies, not in a ghost preview.
float bruise_of(int record, int part)
{
    const float *b = drawn_bruise(record, part);
    return b ? *b : 0;
}

void fade_bruise(int record, int part, float factor)
{
    if (float *b = drawn_bruise(record, part))
        *b *= factor;
}

bool world_runs(const WorldState *w) { return w && !w->frozen && w->ghost_mode == 0; }

// A body's linear and angular velocity as floats; zero without a body.
void body_motion(dBodyID b, float *vel, float *spin)
{
    for (int k = 0; k < 3; k++)
        vel[k] = spin[k] = 0;
    if (!b)
        return;
    to_float(dBodyGetLinearVel(b), vel, 3);
    to_float(dBodyGetAngularVel(b), spin, 3);
}

void set_row(int row, float alpha)
{
    float c[3];
    get_color_rgb(row, c);
    gl_set_color(c[0], c[1], c[2], alpha);
}

} // namespace

void set_render_view_mode(int mode) { g_view_mode = mode; }

void draw_item_geometry(dGeomID g, int kind, const Skin *skin)
{
    if (!g)
        return;
    double pos[3], R[12];
    geom_world_pose(g, pos, R);
    float p[3], r[12], vel[3], spin[3];
    to_float(pos, p, 3);
    to_float(R, r, 12);
    body_motion(dGeomGetBody(g), vel, spin);
    switch (dGeomGetClass(g)) {
    case dSphereClass:
        if (skin)
            render_sphere_skin(p, r, (float)dGeomSphereGetRadius(g), kind, skin->color, skin->bump, skin->flags,
                               vel, spin);
        else
            render_sphere(p, r, (float)dGeomSphereGetRadius(g), kind, vel, spin);
        break;
    case dBoxClass: {
        dVector3 sides;
        dGeomBoxGetLengths(g, sides);
        float s[3];
        to_float(sides, s, 3);
        if (skin)
            render_box_skin(p, r, s, kind, skin->color, skin->bump, skin->flags, vel, spin);
        else
            render_box(p, r, s, kind, vel, spin);
        break;
    }
    case dCapsuleClass: {
        dReal rad, len;
        dGeomCapsuleGetParams(g, &rad, &len);
        if (skin)
            render_capsule_skin(p, r, (float)len, (float)rad, kind, skin->color, skin->bump, skin->flags, vel,
                                spin);
        else
            render_capsule(p, r, (float)len, (float)rad, kind, vel, spin);
        break;
    }
    case dGeomTransformClass: {
        dGeomID inner = dGeomTransformGetGeom(g);
        if (inner && dGeomGetClass(inner) == dSphereClass && skin)
            render_sphere_skin(p, k_identity, (float)dGeomSphereGetRadius(inner), kind, skin->color, skin->bump,
                               skin->flags, vel, spin);
        else if (inner && dGeomGetClass(inner) == dSphereClass)
            render_sphere(p, k_identity, (float)dGeomSphereGetRadius(inner), kind, vel, spin);
        break;
    }
    default:
        break;
    }
}

void draw_fighter_bodies(const WorldState *w, int fighter, int kind, float alpha)
{
    Player *p = get_player(fighter);
    if (!p || !record_shown(fighter, p, fighter == 0))
        return;
    const int bruise = option_get(OPT_BRUISE), animated = option_get(OPT_ANIMATEDHEAD);
    float bruise_rgb[3];
    get_color_index_rgb_or(look_row(fighter, &FighterLook::bruise_row, "bruise colour"), 2, bruise_rgb);
    for (int b = 0; b < BODY_COUNT; b++) {
        // A textured part shows its texture under white (bruises still redden it).
        Skin skin;
        const int k = kind == DRAW_NORMAL ? body_skin(fighter, b, w->frame, animated, kind, &skin) : kind;
        float c[3];
        body_colour(w, fighter, b, c);
        if (k == DRAW_TEXTURED)
            c[0] = c[1] = c[2] = 1;
        const float bv = bruise_of(fighter, b);
        if (bruise && bv > 0.001f) {
            const float base[3] = {c[0], c[1], c[2]};
            blend_colors(bruise_rgb, base, bv, c);
            // Faded once per drawn frame: by the fighters' own pass, not
            // by their shadows.
            if (kind == DRAW_NORMAL && world_runs(w))
                fade_bruise(fighter, b, 0.99f);
        }
        gl_set_color(c[0], c[1], c[2], alpha);
        if (first_person_skip(fighter, b))
            continue;
        if (kind == DRAW_NORMAL && p->bodies[b]) {
            const dReal *at = dBodyGetPosition(p->bodies[b]), *v = dBodyGetLinearVel(p->bodies[b]);
            frame_maxima_update(fighter, b, at[2], v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        }
        draw_item_geometry(p->body_geoms[b], k, kind == DRAW_NORMAL ? &skin : nullptr);
    }
}

void draw_fighter_joints(const WorldState *w, int fighter, int kind, float alpha)
{
    Player *p = get_player(fighter);
    if (!p || !fighter_shown(fighter))
        return;
    const int hovered_joint = get_game_globals()->selected_player == fighter ? get_selected_joint() : -1;
    const int bruise = option_get(OPT_BRUISE);
    for (int j = 0; j < JOINT_COUNT; j++) {
        if (first_person_skip(fighter, j))
            continue;
        const int broken = p->joints[j].broken;
        Skin skin;
        const int k = joint_skin(fighter, j, kind, &skin);
        if (broken == JOINT_DISMEMBERED || broken == JOINT_FRACTURED) {
            const int dm = look_row(fighter, &FighterLook::dismember_row, "dismember colour");
            set_row(broken == JOINT_FRACTURED ? 25 : dm != 0 ? dm : 2, alpha);
            draw_item_geometry(p->joint_geoms[j], k, k == DRAW_TEXTURED ? &skin : nullptr);
            continue;
        }
        dJointID h = p->hinges[j];
        if (!h || !p->joint_spheres[j])
            continue;
        const int state = shown_joint_state(get_joint_state(fighter, j), dJointGetHingeParam(h, dParamVel),
                                            dJointGetHingeParam(h, dParamFMax));
        float force[3], relax[3];
        if (k == DRAW_TEXTURED)
            joint_colours_textured(fighter, j, j == hovered_joint, bruise, force, relax);
        else
            joint_colours(fighter, j, j == hovered_joint, bruise, force, relax);
        if (bruise && kind == DRAW_NORMAL && world_runs(w) && bruise_of(fighter, BODY_COUNT + j) > 0.001f)
            fade_bruise(fighter, BODY_COUNT + j, 0.95f);
        dVector3 anchor, axis;
        dJointGetHingeAnchor(h, anchor);
        dJointGetHingeAxis(h, axis);
        float at[3], ax[3], rot[12];
        to_float(anchor, at, 3);
        to_float(axis, ax, 3);
        const float r = (float)dGeomSphereGetRadius(p->joint_spheres[j]);
        // A textured joint turns with its body (its axis then in the body's frame).
        const float *R = k_identity;
        if (dBodyID jb = k == DRAW_TEXTURED ? dJointGetBody(h, 0) : nullptr) {
            to_float(dBodyGetRotation(jb), rot, 12);
            R = rot;
            for (int i = 0; i < 3; i++)
                ax[i] = rot[i] * (float)axis[0] + rot[4 + i] * (float)axis[1] + rot[8 + i] * (float)axis[2];
        }
        if (state == 1 || state == 2) {
            if (state == 2)
                for (float &a : ax)
                    a = -a;
            const float opposite[3] = {-ax[0], -ax[1], -ax[2]};
            gl_set_color(force[0], force[1], force[2], alpha);
            const int drawn = k == DRAW_TEXTURED || k == DRAW_NORMAL;
            render_hemisphere_skin(at, R, r, ax, drawn ? DRAW_AXIS_SIDE : k, skin.color, skin.bump);
            gl_set_color(relax[0], relax[1], relax[2], alpha);
            render_hemisphere_skin(at, R, r * 0.8f, opposite, drawn ? DRAW_OPPOSITE : k, skin.color, skin.bump);
        } else {
            // A whole sphere carries the motion of the body that holds it.
            float vel[3], spin[3];
            body_motion(p->joint_geoms[j] ? dGeomGetBody(p->joint_geoms[j]) : nullptr, vel, spin);
            if (state == 4) {
                gl_set_color(relax[0], relax[1], relax[2], alpha);
                render_sphere_skin(at, R, r * 0.9f, k, skin.color, skin.bump, 0, vel, spin);
            } else {
                gl_set_color(force[0], force[1], force[2], alpha);
                render_sphere_skin(at, R, r, k, skin.color, skin.bump, 0, vel, spin);
            }
        }
    }
}

void draw_fighter_joints_plain(const WorldState *w, int fighter, int kind, float alpha)
{
    Player *p = get_player(fighter);
    if (!p || !fighter_shown(fighter))
        return;
    const int bruise = option_get(OPT_BRUISE);
    const FighterLook *look = get_fighter_look(fighter);
    const int dm = look_row(fighter, &FighterLook::dismember_row, "dismember colour");
    const int bruise_row = look_row(fighter, &FighterLook::bruise_row, "bruise colour");
    for (int j = 0; j < JOINT_COUNT; j++) {
        if (first_person_skip(fighter, j))
            continue;
        const int broken = p->joints[j].broken;
        Skin skin;
        const int k = joint_skin(fighter, j, kind, &skin);
        const int own = look && k != DRAW_TEXTURED ? checked_colour_row(look->joint_row[j], "joint colour") : 0;
        float c[3];
        get_color_rgb(broken == JOINT_DISMEMBERED ? (dm != 0 ? dm : 2)
                      : broken == JOINT_FRACTURED ? 25
                      : own != 0                  ? own
                                                  : 1,
                      c);
        const float b = bruise_of(fighter, BODY_COUNT + j);
        if (!broken && bruise && b > 0.001f) {
            tint_color_toward_row(bruise_row, c, b > 1 ? 1 : b);
            if (kind == DRAW_NORMAL && w && !w->frozen)
                fade_bruise(fighter, BODY_COUNT + j, 0.95f);
        }
        gl_set_color(c[0], c[1], c[2], alpha);
        if (k != DRAW_TEXTURED && kind == DRAW_NORMAL)
            skin.flags = look ? look->joint_flags : 0;
        draw_item_geometry(p->joint_geoms[j], k, k == DRAW_TEXTURED || skin.flags ? &skin : nullptr);
    }
}

void draw_joint_geoms(int fighter, int row, int kind, float alpha)
{
    Player *p = get_player(fighter);
    if (!p || !record_shown(fighter, p, true))
        return;
    const int occluder = look_row(fighter, &FighterLook::occluder_row, "occluder colour");
    set_row(occluder != 0 ? occluder : row, alpha);
    for (int j = 0; j < JOINT_COUNT; j++)
        if (!first_person_skip(fighter, j))
            draw_item_geometry(p->joint_geoms[j], kind);
}

void draw_ghost_bodies(int record, int kind, float alpha)
{
    Player *p = get_player(record);
    const int n = fighter_count();
    if (!p || record < n || !record_shown(record, p, true))
        return;
    const int occluder = look_row(record, &FighterLook::occluder_row, "occluder colour");
    set_row(occluder != 0 ? occluder : checked_colour_row(p->colour, "ghost colour"), alpha);
    for (int b = 0; b < BODY_COUNT; b++)
        draw_item_geometry(p->body_geoms[b], kind);
}

// The floor's squares, each ten times the one inside it: the outermost is
// four times the far plane's distance (1000), past the view's farthest
// corner for any window shape and field of view the camera takes. Near the
// fighters the floor is the small square, so that its depth there is as
// exact as a small square's and the shadows and marks lying just above it
// are not lost in the rounding of far larger triangles.
static const float k_floor_half_sides[3] = {40.0f, 400.0f, 4000.0f};

void draw_floor(const float *eye)
{
    // Unlit: the floor shows its colour as it is. Opaque, so not blended:
    // it covers half the window.
    float c[3];
    world_floor_colour(get_clear_color(), c);
    gl_set_color(c[0], c[1], c[2], 1);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glPushMatrix();
    glTranslatef(eye[0], eye[1], 0);
    shapes_draw_quad(k_floor_half_sides[0]);
    // Each ring between two squares, as one strip counter-clockwise from
    // above (normal up).
    static const float corner[5][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (int r = 1; r < 3; r++) {
        const float in = k_floor_half_sides[r - 1], out = k_floor_half_sides[r];
        glBegin(GL_QUAD_STRIP);
        glNormal3f(0, 0, 1);
        for (const auto &k : corner) {
            glVertex3f(k[0] * in, k[1] * in, 0);
            glVertex3f(k[0] * out, k[1] * out, 0);
        }
        glEnd();
    }
    glPopMatrix();
    glPopAttrib();
}

void draw_marker_sphere(const double *pos, float radius)
{
    float p[3];
    to_float(pos, p, 3);
    render_sphere(p, k_identity, radius, DRAW_NORMAL);
}

void draw_hand_markers(const WorldState *)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p || !fighter_shown(i))
            continue;
        set_row(checked_colour_row(p->colour, "fighter colour"), 1);
        for (int hand : {R_HAND, L_HAND})
            if (p->bodies[hand])
                draw_marker_sphere(dBodyGetPosition(p->bodies[hand]), 0.1f);
    }
}

float object_overlay_fraction(const Player *p, const MatchRules *rules)
{
    if (!p || !rules || rules->dqtimeout <= 0 || p->dq_time <= 0)
        return 0;
    const float f = (float)p->dq_time / (float)rules->dqtimeout;
    return f > 1 ? 1 : f;
}

void draw_object_overlay(const WorldState *)
{
    const int n = fighter_count();
    const MatchRules *rules = get_match_rules();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p || !fighter_shown(i) || !p->bodies[3])
            continue;
        const double *at = dBodyGetPosition(p->bodies[3]);
        float c[3];
        get_color_rgb(checked_colour_row(p->colour, "fighter colour"), c);
        // Faint while the fighter stands well; opaque as its ground time
        // nears the disqualification time-out.
        glColor4f(c[0], c[1], c[2], 0.25f + 0.75f * object_overlay_fraction(p, rules));
        // The fighter's ground texture marks the floor under it.
        FighterTextures *ft = fighter_textures(i);
        const bool marked = ft && texture_is_loaded(&ft->ground);
        if (marked) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, ft->ground.gl_id);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        // A disc of 32 segments, radius 0.5, the texture spread over it.
        glBegin(GL_TRIANGLE_FAN);
        glNormal3f(0, 0, 1);
        glTexCoord2f(0.5f, 0.5f);
        glVertex3f((float)at[0], (float)at[1], 0.004f);
        for (int k = 0; k <= 32; k++) {
            const float a = (float)(k * M_PI / 16), sa = std::sin(a), ca = std::cos(a);
            glTexCoord2f(0.5f * (1 + sa), 0.5f * (1 + ca));
            glVertex3f((float)at[0] + 0.5f * sa, (float)at[1] + 0.5f * ca, 0.004f);
        }
        glEnd();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}

void draw_body_overlay(const MatchRules *rules)
{
    // The border the ground contacts are judged by, from the game's one
    // dojo geometry.
    const DojoGeometry g = dojo_geometry(rules);
    if (g.shape == DOJO_NONE)
        return;
    float c[3];
    hud_colour_rgb(HUD_TEXT, c);
    gl_set_color(c[0], c[1], c[2], 1);
    const float cx = (float)g.centre[0], cy = (float)g.centre[1];
    if (g.shape == DOJO_ROUND) {     // a ring 0.1 wide inside the dojo's edge
        const float at[3] = {cx, cy, 0.003f}, r = (float)g.radius;
        draw_ring_3d(at, r - 0.1f > 0 ? r - 0.1f : 0, r, 32, 1, 0, 360, 0, nullptr);
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glColor4f(c[0], c[1], c[2], 1);
    glBegin(GL_LINE_LOOP);           // the square's sides run along x and y
    const float h = (float)g.half_side;
    glVertex3f(cx - h, cy - h, 0.003f);
    glVertex3f(cx + h, cy - h, 0.003f);
    glVertex3f(cx + h, cy + h, 0.003f);
    glVertex3f(cx - h, cy + h, 0.003f);
    glEnd();
    glPopAttrib();
}

void draw_env_objects(int kind)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        const EnvObjectBody *o = get_env_object(i);
        if (!o || !o->visible)
            continue;
        gl_set_color(o->color[0], o->color[1], o->color[2], o->color[3]);
        draw_item_geometry(o->geom, kind);
    }
}

void draw_ghost_env_objects(int kind, float alpha)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        const EnvObjectBody *o = get_env_object_ghost(i);
        if (!o || !o->visible || (o->flag & ENV_FLAG_STATIC))
            continue;
        gl_set_color(o->color[0], o->color[1], o->color[2], o->color[3] * alpha);
        draw_item_geometry(o->geom, kind);
    }
}
