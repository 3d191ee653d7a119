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
// The default fighter placed at (x, y) on the floor, scaled by size.
void render_vako(float x, float y, float size);
// The fighters as small turning figures in the top corners (window size),
// turned by `angle` degrees, each in its own viewport; drawn inside
// push_square_perspective / pop_perspective, which give the window back.
void draw_player_corner_figures(int width, int height, float angle);
// The hover marker of a joint: ten camera-facing quads of the interface
// texture "indicator" round the hinge axis (in the frame of the rotation)
// at the radius, from 150 degrees down to 15 plus the phase, shrinking and
// fading with the angle.
void draw_joint_spin_marker(const float *anchor, const float *R, const float *axis, float phase, float radius);
