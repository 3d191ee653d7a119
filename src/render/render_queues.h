// The shader path's per-frame queues. While the shader path draws, the
// shape drawers and the blood drops put records here instead of drawing;
// the frame's passes drain them at its end. All four queues are fixed
// arrays emptied at the start of every 3D frame; only the main thread
// touches them. Records refer to each other, to meshes and to textures by
// index or GL name, never by pointer.
#pragma once
#include <cstdint>

enum {
    DRAW_QUEUE_SIZE = 512,
    OCCLUDER_LIST_SIZE = 512,
    BLOOD_QUEUE_SIZE = 102400,
    BLOOD_STRANDS = 5,
    // One per sphere or box record and three per capsule.
    RAY_OBJECT_LIST_SIZE = 3 * DRAW_QUEUE_SIZE,
};

// Kind flags of a queued shape (a bit set).
enum {
    QUEUE_PLAIN = 0x1,
    QUEUE_OCCLUDER = 0x4,     // darkens only: goes to the occluder list
    QUEUE_TEXTURED = 0x8,     // has a colour texture and/or a bump map
    QUEUE_HALF_AXIS = 0x40,
    QUEUE_HALF_OPPOSITE = 0x80,
    QUEUE_TCGEN = 0x100,      // texture coordinates made from the object
};

enum { QUEUED_SPHERE = 0, QUEUED_CAPSULE = 1, QUEUED_BOX = 2 };

// The built-in meshes a record can name. Each names a drawing mesh and its
// shadow-volume twin; the GL side resolves them (scene_mesh_gl.h).
enum SceneMesh {
    SCENE_MESH_NONE = -1,
    SCENE_MESH_SPHERE = 0,       // unit sphere for drawing
    SCENE_MESH_SPHERE_COARSE,    // fewer triangles, for the batched copy
    SCENE_MESH_BOX,              // the +-1 cube
    SCENE_MESH_CAPSULE,          // unit hemispheres at z = +-1 joined by a band
    SCENE_MESH_CAPSULE_COARSE,
    SCENE_MESH_DOME,             // a unit half sphere over z = 0, its cut closed
    SCENE_MESH_SKY,              // the sky's shell (no twin)
    SCENE_MESH_COUNT
};

// One drawable shape (43 words). Matrices are 3x3, row by row.
struct DrawRecord {
    float pos[3];
    float scaled[9];          // orientation times the shape's size
    float object_rot[9];      // generic objects: their second orientation
    float extra[6];           // two vectors from the caller (velocities)
    float colour[4];          // the drawing colour when queued
    uint32_t kind;
    uint32_t translucent;     // 1 when the colour's alpha is not 1
    float konstant;           // capsules: length / (2 radius) - 1; else 0
    uint32_t shape;           // QUEUED_SPHERE (also generic objects), _CAPSULE, _BOX
    float bound_radius;
    float shadow_radius;
    uint32_t mode;            // 1 opaque, 0 translucent
    int32_t mesh[3];          // batched copy, the object, its mirror image and shadows
    uint32_t colour_tex;      // GL texture name, 0 for none
    uint32_t bump_tex;
};
static_assert(sizeof(DrawRecord) == 43 * 4, "a draw record is 43 words");

// One blood drop (13 words), linked into its strand by index (-1 for none).
struct BloodRecord {
    float pos[3];
    float motion[3];
    float size;
    uint32_t zero;
    uint32_t colour;          // red in the low byte, alpha in the high byte
    int32_t prev, prev2;      // the strand's drop before, and the one before that
    int32_t next, next2;      // the strand's drop after, and the one after that
};
static_assert(sizeof(BloodRecord) == 13 * 4, "a blood record is 13 words");

struct BloodStrand {
    float pos[3];
    int32_t last = -1, before_last = -1;   // -1 for none
};

// One shape in the form the ray-tracing programs intersect (38 words).
struct RayObject {
    uint32_t shape;           // QUEUED_SPHERE, _CAPSULE, _BOX
    uint32_t data_size;       // words the programs read: 4, 8 or 28
    float centre[3];
    float size;
    // capsule: unit axis and half extent; box: for each axis k the unit
    // axis n, n.centre + s_k, then -n, -n.centre + s_k (six planes).
    float shape_data[24];
    float colour[4];
    float centre_copy[3];
    float bound_radius;
};
static_assert(sizeof(RayObject) == 38 * 4, "a ray object is 38 words");

// Queueing. Orientations are 3x3 row by row; the two further vectors may
// be null; textures are GL names (0 for none). The current drawing colour
// (color_state.h) goes into the record.
void queue_sphere(const float *rot, const float *pos, const float *v1, const float *v2, float radius,
                  unsigned kind, unsigned colour_tex, unsigned bump_tex);
// sides: half the side lengths.
void queue_box(const float *rot, const float *pos, const float *sides, const float *v1, const float *v2,
               unsigned kind, unsigned colour_tex, unsigned bump_tex);
// length: the cylinder part along the local z axis.
void queue_capsule(const float *rot, const float *pos, float length, float radius, const float *v1,
                   const float *v2, unsigned kind, unsigned colour_tex, unsigned bump_tex);
// A generic object, a joint's half sphere (drawn as the closed dome over
// the local +z): rot places it, object_rot is the frame its generated
// texture coordinates follow.
void queue_object(const float *rot, const float *object_rot, const float *pos, const float *v1,
                  const float *v2, float radius, unsigned kind, unsigned colour_tex, unsigned bump_tex);
void add_ray_object(unsigned shape, const float *centre, const float *scaled, float extent,
                    const float *colour);
void add_blood_drop(const float *pos, const float *motion, float size);

// Empties the four queues and the strands, lowers the ray-object flag.
void render_queues_reset(void);

int draw_queue_count(void);
const DrawRecord *draw_queue_record(int i);
int occluder_count(void);
const float *occluder_at(int i);           // x, y, z, radius
int blood_queue_count(void);
const BloodRecord *blood_record(int i);
const BloodStrand *blood_strand(int k);
int ray_object_count(void);
const RayObject *ray_object_at(int i);
// Raised by add_ray_object, lowered at the start of a frame.
int ray_objects_queued(void);

// The camera's world position, kept by the frame start.
void set_frame_camera_position(const float *eye);
const float *frame_camera_position(void);

// Four colour floats packed into a word, red in the low byte; each channel
// is kept to 0..1 first (a value that is not a number counts as 0).
uint32_t pack_colour_word(const float *rgba);
