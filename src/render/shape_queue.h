// The shape drawers' side of the shader path: a pose in the physics
// engine's layout (a position and a 3x4 rotation) and the drawer's
// arguments turned into queue records (render_queues.h). The drawers call
// these instead of drawing while the shader path is on.
#pragma once

struct Texture;

// Textures may be null or not loaded (then they count as absent). Kinds
// other than plain (1), shadow (4) and textured (8) queue nothing. vel and
// spin are the shape's linear and angular velocity, carried in the record
// (null: at rest).
void queue_sphere_pose(const float *pos, const float *R, float radius, int kind, const Texture *color,
                       const Texture *bump, const float *vel = nullptr, const float *spin = nullptr);
// sides: the full side lengths.
void queue_box_pose(const float *pos, const float *R, const float *sides, int kind, const Texture *color,
                    const Texture *bump, const float *vel = nullptr, const float *spin = nullptr);
void queue_capsule_pose(const float *pos, const float *R, float length, float radius, int kind,
                        const Texture *color, const Texture *bump, const float *vel = nullptr,
                        const float *spin = nullptr);
// A joint's half sphere on the side of the axis (in the pose's frame). A
// shadow kind makes it an occluder; any other kind a generic object whose
// texture coordinates follow the pose.
void queue_hemisphere_pose(const float *pos, const float *R, float radius, const float *axis, int kind,
                           const Texture *color, const Texture *bump);
