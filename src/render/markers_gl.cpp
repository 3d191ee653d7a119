#include "render/markers_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "game/body_template.h"
#include "game/frame_cache.h"
#include "game/contact_damage.h"
#include "game/game_state.h"
#include "net/records/custom_record.h"
#include "render/fighter_textures.h"
#include "render/color_table.h"
#include "render/fighter_look.h"
#include "render/graphics_gl.h"
#include "render/shapes_gl.h"

static const float k_identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

void draw_cached_grip_markers(int frame)
{
    const FrameCacheEntry *e = frame_cache_entry(frame);
    if (!e || !e->valid)
        return;
    const int n = fighter_count();
    for (int i = 0; i < n && i < MAX_FIGHTERS; i++) {
        const Player *p = get_player(i);
        float c[3];
        get_color_rgb(p ? p->colour : 0, c);
        gl_set_color(c[0], c[1], c[2], 1);
        for (int h = 0; h < 2; h++) {
            if (!e->grip_exists[i][h])
                continue;
            const float at[3] = {(float)e->grip_anchor[i][h][0], (float)e->grip_anchor[i][h][1],
                                 (float)e->grip_anchor[i][h][2]};
            render_sphere(at, k_identity, 0.1f, DRAW_NORMAL);
        }
    }
}

void draw_cross_marker(const float *pos)
{
    render_sphere(pos, k_identity, 0.05f, DRAW_NORMAL);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    for (int k = 0; k < 3; k++) {
        float a[3] = {pos[0], pos[1], pos[2]}, b[3] = {pos[0], pos[1], pos[2]};
        a[k] -= 0.8f;
        b[k] += 0.8f;
        glVertex3fv(a);
        glVertex3fv(b);
    }
    glEnd();
    glPopAttrib();
}

void draw_joint_axis_marker(const float *anchor, const float *axis)
{
    gl_set_color(0.4f, 1, 1, 0.8f);
    render_sphere(anchor, k_identity, 0.1f, DRAW_NORMAL);
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(10);
    glBegin(GL_LINES);
    glVertex3fv(anchor);
    glVertex3f(anchor[0] + 0.3f * axis[0], anchor[1] + 0.3f * axis[1], anchor[2] + 0.3f * axis[2]);
    glEnd();
    glPopAttrib();
}

// The template scaled as the default fighter is.
static void default_template(BodyDef *bodies, JointDef *joints)
{
    scale_body_template(bodies, joints, 1, 1, 1);
}

// A figure of the template's shapes at the given poses.
static void draw_template_figure(const BodyDef *bodies, const JointDef *joints, const float (*joint_pos)[3],
                                 const float (*body_pos)[3])
{
    for (int b = 0; b < BODY_COUNT; b++) {
        const BodyDef &d = bodies[b];
        if (d.shape == SHAPE_SPHERE)
            render_sphere(body_pos[b], k_identity, d.sides[0], DRAW_NORMAL);
        else if (d.shape == SHAPE_BOX)
            render_box(body_pos[b], k_identity, d.sides, DRAW_NORMAL);
        else if (d.shape == SHAPE_CAPSULE)
            render_capsule(body_pos[b], k_identity, d.sides[1], d.sides[0], DRAW_NORMAL);
    }
    for (int j = 0; j < JOINT_COUNT; j++)
        render_sphere(joint_pos[j], k_identity, joints[j].radius, DRAW_NORMAL);
}

void draw_pose_figure(const float (*joint_pos)[3], const float (*body_pos)[3])
{
    BodyDef bodies[BODY_DEF_ROWS];
    JointDef joints[JOINT_DEF_ROWS];
    default_template(bodies, joints);
    draw_template_figure(bodies, joints, joint_pos, body_pos);
}

// The template's positions with its middle (the stomach's x and y) moved to
// (x, y), scaled about that middle.
static void template_pose(float x, float y, float size, float (*jp)[3], float (*bp)[3])
{
    BodyDef bodies[BODY_DEF_ROWS];
    JointDef joints[JOINT_DEF_ROWS];
    default_template(bodies, joints);
    const float mid[3] = {bodies[3].pos[0], bodies[3].pos[1], 0};
    const float off[3] = {x - mid[0] * size, y - mid[1] * size, 0};
    for (int b = 0; b < BODY_COUNT; b++)
        for (int k = 0; k < 3; k++)
            bp[b][k] = bodies[b].pos[k] * size + off[k];
    for (int j = 0; j < JOINT_COUNT; j++)
        for (int k = 0; k < 3; k++)
            jp[j][k] = joints[j].pos[k] * size + off[k];
}

void render_vako(float x, float y, float size)
{
    // The three arguments are the template's proportions (width, depth,
    // height); proportions the template cannot take draw nothing.
    for (float f : {x, y, size})
        if (!(f > 0 && f <= 100)) {
            fprintf(stderr, "draw_vako: proportions %g %g %g out of range\n", x, y, size);
            return;
        }
    BodyDef bodies[BODY_DEF_ROWS];
    JointDef joints[JOINT_DEF_ROWS];
    scale_body_template(bodies, joints, x, y, size);
    float jp[JOINT_COUNT][3], bp[BODY_COUNT][3];
    for (int b = 0; b < BODY_COUNT; b++)
        for (int k = 0; k < 3; k++)
            bp[b][k] = bodies[b].pos[k];
    for (int j = 0; j < JOINT_COUNT; j++)
        for (int k = 0; k < 3; k++)
            jp[j][k] = joints[j].pos[k];
    draw_template_figure(bodies, joints, jp, bp);
}

int corner_figure_side(int height) { return height / 4 > 0 ? height / 4 : 1; }

void draw_player_corner_figures(int width, int height, float angle)
{
    const int side = corner_figure_side(height);
    const int n = fighter_count();
    for (int i = 0; i < n && i < 2; i++) {
        const Player *p = get_player(i);
        if (!p || !fighter_shown(i))
            continue;
        const int origin[2] = {i == 0 ? 0 : width - side, 0}, size[2] = {side, side};
        const float middle[3] = {0, 0, 1.45f};    // half the standing figure's height
        set_view_from_front(origin, size, middle);
        glRotatef(angle, 0, 0, 1);
        float c[3];
        get_color_rgb(p->colour, c);
        gl_set_color(c[0], c[1], c[2], 1);
        float jp[JOINT_COUNT][3], bp[BODY_COUNT][3];
        template_pose(0, 0, 1, jp, bp);
        draw_pose_figure(jp, bp);
    }
}

void draw_joint_spin_marker(const float *anchor, const float *R, const float *axis, float phase, float radius)
{
    Texture *tex = ui_texture(UI_INDICATOR);
    const GLfloat pose[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0,
                              anchor[0], anchor[1], anchor[2], 1};
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (tex && tex->loaded) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tex->gl_id);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glPushMatrix();
    glMultMatrixf(pose);
    // The hinge axis (in the posed frame) becomes z.
    rotate_z_onto(axis);
    for (int k = 10; k >= 1; k--) {
        const float a = (float)((15.0f * k + phase) * M_PI / 180), half = 0.005f * k;
        glPushMatrix();
        glTranslatef(radius * std::cos(a), radius * std::sin(a), 0);
        face_the_eye();
        glColor4f(1, 1, 1, 0.1f * k);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex3f(-half, -half, 0);
        glTexCoord2f(1, 0); glVertex3f(half, -half, 0);
        glTexCoord2f(1, 1); glVertex3f(half, half, 0);
        glTexCoord2f(0, 1); glVertex3f(-half, half, 0);
        glEnd();
        glPopMatrix();
    }
    glPopMatrix();
    glPopAttrib();
}

int draw_tracked_markers(void)
{
    for (int i = 0; i < fighter_count() && i < MAX_FIGHTERS; i++) {
        const GroundImpact *g = get_ground_impact(i);
        if (!g || g->frame < 0 || g->countdown <= 0)
            continue;
        float c[3];
        get_color_rgb(checked_colour_row(g->colour, "impact colour"), c);
        gl_set_color(c[0], c[1], c[2], 1);
        FighterTextures *ft = fighter_textures(i);
        const Texture *mark = ft && texture_is_loaded(&ft->dq) ? &ft->dq : nullptr;
        const float at[3] = {(float)g->pos[0], (float)g->pos[1], 0.01f};
        glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(c[0], c[1], c[2], 1);
        if (mark) {     // the dq texture, 2.0 across, flat on the floor
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, mark->gl_id);
            glBegin(GL_QUADS);
            glNormal3f(0, 0, 1);
            const float h = 1.0f;
            glTexCoord2f(0, 0); glVertex3f(at[0] - h, at[1] - h, at[2]);
            glTexCoord2f(1, 0); glVertex3f(at[0] + h, at[1] - h, at[2]);
            glTexCoord2f(1, 1); glVertex3f(at[0] + h, at[1] + h, at[2]);
            glTexCoord2f(0, 1); glVertex3f(at[0] - h, at[1] + h, at[2]);
            glEnd();
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glPopAttrib();
        if (!mark)      // without one, a ring of the same size
            draw_ring_3d(at, 0.8f, 1.0f, 32, 1, 0, 360, 0, nullptr);
        return i;
    }
    return -1;
}

void render_disk_3d(float x, float y, float z, float inner, float outer, int slices, int loops, float start,
                    float sweep, int additive)
{
    const float at[3] = {x, y, z};
    draw_ring_3d(at, inner, outer, slices, loops, start, sweep, additive, nullptr);
}

void draw_hud_3d(int width, int height, float angle)
{
    // The player's own icon, turning on its upright axis over the middle of
    // the top edge (nothing without an icon).
    const int own = current_player_fighter();
    FighterTextures *ft = fighter_textures(own);
    if (!ft || !texture_is_loaded(&ft->icon))
        return;
    const int side = height / 6 > 0 ? height / 6 : 1;
    const int origin[2] = {(width - side) / 2, 0}, size[2] = {side, side};
    const float middle[3] = {0, 0, 0};
    set_view_from_front(origin, size, middle);
    glRotatef(angle, 0, 0, 1);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, ft->icon.gl_id);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1); glVertex3f(-0.8f, 0, -0.8f);
    glTexCoord2f(1, 1); glVertex3f(0.8f, 0, -0.8f);
    glTexCoord2f(1, 0); glVertex3f(0.8f, 0, 0.8f);
    glTexCoord2f(0, 0); glVertex3f(-0.8f, 0, 0.8f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}
