// Markers and figures drawn around the match: the grips stored for a frame,
// the free point's cross, a hinge's axis, and the fighter figure drawn from
// the scaled body template (scripts, the corner figures of network play).
#pragma once

// Spheres of radius 0.1 at the grip points the frame cache holds for frame.
void draw_cached_grip_markers(int frame);
// A sphere of radius 0.05 and a cross of +-0.8 at the point.
void draw_cross_marker(const float *pos);
// A sphere at a hinge anchor and a line 0.3 along its axis.
void draw_joint_axis_marker(const float *anchor, const float *axis);
// A figure from body and joint positions (21 and 20 points) with the
// template's shapes and sizes, in the current colour.
void draw_pose_figure(const float (*joint_pos)[3], const float (*body_pos)[3]);
// The default fighter in its own place, built with the three proportions
// (width, depth, height factors; each must lie in (0, 100], else nothing
// is drawn and a message says why).
void render_vako(float x, float y, float size);
// The first fighter's disqualifying ground impact that is still shown: the
// fighter's dq texture 2.0 across on the floor in the impact's colour, or a
// ring of that size without one. Returns the fighter, -1 when none shows.
int draw_tracked_markers(void);
// A flat ring between the radii at a world point (the script's
// draw_disk_3d); slices, loops and the angles are not used.
void render_disk_3d(float x, float y, float z, float inner, float outer, int slices, int loops, float start,
                    float sweep, int additive);
// The 3D element of the network HUD: the player's own icon turning over
// the middle of the top edge, in its own viewport (inside
// push_square_perspective / pop_perspective).
void draw_hud_3d(int width, int height, float angle);
// The fighters as small turning figures in the top corners (window size),
// turned by `angle` degrees, each in its own viewport; drawn inside
// push_square_perspective / pop_perspective, which give the window back.
void draw_player_corner_figures(int width, int height, float angle);
// The side of the square each corner figure is drawn in: a quarter of the
// window's height, at least 1.
int corner_figure_side(int height);
// The hover marker of a joint: ten camera-facing quads of the interface
// texture "indicator" round the hinge axis (in the frame of the rotation)
// at the radius, from 150 degrees down to 15 plus the phase, shrinking and
// fading with the angle.
void draw_joint_spin_marker(const float *anchor, const float *R, const float *axis, float phase, float radius);
