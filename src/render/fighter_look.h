// What the fighter drawing decides before it draws: the draw kinds, colour
// blends, each body's and joint's colour, the shown joint state, the ghost
// alpha and the scene light. No GL here, so it runs headless.
#pragma once
#include "game/game_state.h"
#include "render/color_table.h"

// The kind every shape drawer is handed.
enum DrawKind {
    DRAW_NORMAL = 1,
    DRAW_SHADOW = 4,        // flattened onto the floor
    DRAW_TEXTURED = 8,
    DRAW_ALPHA = 32,        // a sphere as a camera-facing disc
    DRAW_AXIS_SIDE = 64,    // the joint hemisphere on the axis side
    DRAW_OPPOSITE = 128,    // the opposite hemisphere
};

// What a fighter's customisation gives its drawing, as colour-table rows
// (0 = not set): per joint the force and relax colours of the state display
// and the colour of plain joints, the colours of dismembered joints, of
// bruises and of the fighter's shadows; and the shine flags of its bodies,
// its head and its joints (0: not shiny). Records 0 .. FIGHTER_LOOKS - 1
// (fighters, then ghosts).
enum { FIGHTER_LOOKS = 2 * MAX_FIGHTERS };
struct FighterLook {
    int32_t joint_force[JOINT_COUNT];
    int32_t joint_relax[JOINT_COUNT];
    int32_t joint_row[JOINT_COUNT];
    int32_t dismember_row;
    int32_t bruise_row;
    int32_t occluder_row;
    int32_t body_flags;
    int32_t head_flags;
    int32_t joint_flags;
};
// Null outside the records.
FighterLook *get_fighter_look(int record);
// The joint rows and shine flags of fighter i from player i's
// customisation: JFORCE, JRELAX and JREPLAY for every joint; a fighter
// whose customisation colours its bodies (BODCOL) shines, its head when the
// head is coloured, its joints when JREPLAY is set. Rows outside the colour
// table count as not set (one message per field). The other rows are kept.
void fighter_look_from_custom(int fighter);
// A colour row as drawing takes it: row, or 0 with a message when it is
// outside the table.
int checked_colour_row(int row, const char *what);

// A fighter's body colour: the part's customisation colour (BODCOL), else
// the middle of its gradient pair (GRADCOL1, GRADCOL2) when both are set,
// else the fighter's own colour.
void body_colour(const WorldState *w, int fighter, int body, float *rgb);
// body_colour blended towards red by the body's drawn bruise (above 0.001).
void body_colour_blended(const WorldState *w, int fighter, int body, float *rgb);

// The bruises as drawing shows them, by record and body identifier (bodies
// 0..20, joints 21..40). A hit the game marks in the record's hit flash
// raises the drawn value to it; the drawers fade the drawn value per drawn
// frame. The game's own hit flash, which the break rule reads, is never
// written here. A match frame going back (a new match, a rewind) takes the
// hit flash as it stands.
void bruise_take_hits(const WorldState *w, int record);
float *drawn_bruise(int record, int part);

// The state a joint shows: its own state, or for MOTOR_NONE the one its
// hinge motor has (velocity < 0 forward, > 0 back, a held force hold, else
// relax).
int shown_joint_state(int state, double motor_velocity, double max_force);

// The two colours of a joint's state display: force and relax rows (hold
// and relax by default), lightened for the hovered joint, tinted red by its
// bruise when `bruise` is on.
void joint_colours(int fighter, int joint, int hovered, int bruise, float *force, float *relax);
// The same for a joint that wears a texture: white, the hovered one 0.1 of
// it plus 0.9 of twice white.
void joint_colours_textured(int fighter, int joint, int hovered, int bruise, float *force, float *relax);

// The see-through alpha of the ghosts: 0.3, or fading from 0.5 to 0 over
// the preview while the fade flag is set. A preview of length 0 or less
// shows at 0.5.
float ghost_alpha(const WorldState *w);
enum { GHOST_FLAG_FADE = 2 };   // the ghost row flag that fades the ghosts

// Light 0's position (w = 0) for a camera eye.
void scene_light_position(const float *eye, float *out4);

// Whether a fighter is drawn at all (`vako` for the first, `zud` for the others).
int fighter_shown(int fighter);

// The head frame shown at a match frame: one every 10 frames over 8,
// stepped down to the nearest loaded one; -1 when none is loaded.
int head_frame_index(int match_frame, const int *loaded8);

// The frame maxima the altimeter and speedometer read: the highest body
// centre and the fastest body (squared linear speed), of this frame and of
// all frames.
enum { MAX_HEIGHT_FRAME, MAX_HEIGHT_ALL, MAX_SPEED_FRAME, MAX_SPEED_ALL, FRAME_MAXIMA };
struct FrameMax {
    double value;
    int fighter;
    int body;
};
const FrameMax *get_frame_max(int k);
// The per-frame pair back to 0 (the start of every drawn frame).
void frame_maxima_reset(void);
void frame_maxima_update(int fighter, int body, double z, double speed2);
