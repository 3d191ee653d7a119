// The ghost preview: while the player decides, each fighter's ghost twin
// plays the coming turn from the fighter's current state, so the player sees
// where the turn will lead. The first pass is simulated and stored pose by
// pose (the ghost trail, 100 frames); later passes replay the stored poses.
#pragma once
#include "game/game_state.h"
#include "game/mod_world.h"

enum {
    GHOST_TRAIL_FRAMES = 100,
    GHOST_ROW_COUNT = 6,
    // Ghost row flags; 1, 2 and 16 are read by the drawing and the HUD.
    GHOST_FLAG_TURN_LENGTH = 4,   // the length is the ghost turn length
    GHOST_FLAG_TOGGLE = 8,        // choosing the active row ends the preview
};

enum GhostOption { GHOST_OPTION_NONE = 0, GHOST_OPTION_ONE = 1, GHOST_OPTION_ALL = 2 };

struct GhostModeRow {
    const char *name;
    float speed;
    int frames;
    int flags;
    int next;
};

// Row i of the ghost mode table, none outside 0..5.
const GhostModeRow *ghost_mode_row(int i);

// One pose of the trail: position and the engine's 3 x 4 rotation.
struct GhostPose {
    double pos[3];
    double R[12];
};

struct GhostTrailFrame {
    GhostPose joints[MAX_FIGHTERS][JOINT_COUNT];   // the spheres' world poses
    GhostPose bodies[MAX_FIGHTERS][BODY_COUNT];
    GhostPose objects[ENV_OBJECT_COUNT];
};

// Trail frame k (0..99), none outside.
const GhostTrailFrame *ghost_trail_frame(int k);
int ghost_trail_complete(void);
void set_ghost_trail_complete(int v);
int get_ghost_option(void);
void set_ghost_option(int option);

// Copies fighter `from` into the record `to` (its ghost): grips, view,
// bodies, joint breaks, hinge motors, sphere radii and motor wishes.
void copy_player_state(int from, int to);

// Both start nothing while a live turn runs (a paused turn may be
// previewed: it keeps its pause and its frames).
void start_ghost_all(void);
// Fighter i only; -1 switches every fighter and ghost off and copies nothing.
void start_ghost_player(int i);
void leave_ghost_mode(void);
// The preview of a single-play turn: the selected fighter's, or every
// fighter's with the all-fighters option or when none is selected.
void start_single_play_preview(void);
// 1 while a started preview runs (the ghosts on, the live fighters off).
int ghost_preview_started(void);
// Restarts a running preview from the fighters' current state.
void restart_ghost(int clear_trail);
void toggle_ghost_selected(void);
void toggle_ghost_all(void);
void ghost_pick_player(int i);
// Chooses a row of the ghost mode table. 1 when refused.
int set_ghost_mode(int row);
// Takes row's speed, flags and length (the ghost turn length for a row with
// GHOST_FLAG_TURN_LENGTH) and stores its index; the preview is left as it is.
void apply_ghost_row(int row);
// The frames of the coming turn: the length of a row that previews the
// turn (at least 1); the row in use takes it at once.
void set_ghost_turn_length(int frames);
// Sets the speed and length directly, then restarts. 1 when refused.
int set_ghost_speed_length(float speed, int length);

// One tick of the preview while the trail is being made, and one tick of
// replaying the stored trail.
void step_ghost(void);
void step_ghost_trail(void);
