// One fighter record turned into shapes: its bodies in their colours and
// bruises, its joints as the state display or plain, its ghost, and the
// small 3D markers and overlays drawn around the fighters.
#pragma once
#include <ode/ode.h>

#include "game/game_state.h"
#include "game/match_rules.h"

// One physics geom by its class (sphere, box, capsule; a transform as the
// sphere it holds); other classes draw nothing.
// With a skin, its textures and flags go to the textured drawers.
struct Skin;
void draw_item_geometry(dGeomID geom, int kind, const Skin *skin = nullptr);

// The view mode the drawers skip the viewer's head and neck in (1 and 2:
// first person of fighter 0 and 1).
void set_render_view_mode(int mode);

void draw_fighter_bodies(const WorldState *w, int fighter, int kind, float alpha);
// The joint-state display; the selected joint of the selected fighter is
// lightened.
void draw_fighter_joints(const WorldState *w, int fighter, int kind, float alpha);
void draw_fighter_joints_plain(const WorldState *w, int fighter, int kind, float alpha);
void draw_joint_geoms(int fighter, int row, int kind, float alpha);
// A ghost record (fighters n..2n-1) in its colour.
void draw_ghost_bodies(int record, int kind, float alpha);

// Every visible environment object in its own colour.
void draw_env_objects(int kind);
// The ghost twins that move (not static), their alpha times `alpha`.
void draw_ghost_env_objects(int kind, float alpha);

// The fixed path's floor: a square centred under the eye and far wider
// than the view reaches, so that only the far plane cuts it and the horizon
// is a straight line.
void draw_floor(const float *eye);
// Spheres of radius 0.1 at both hands of each fighter in its colour.
void draw_hand_markers(const WorldState *w);
// A disc under each fighter, half see-through.
void draw_object_overlay(const WorldState *w);
// The dojo outline, on the border the game judges: type 0 a square with
// sides along x and y, type 1 a ring.
void draw_body_overlay(const MatchRules *rules);
// A sphere at a point (markers: keyframes, the cross marker).
void draw_marker_sphere(const double *pos, float radius);
