// The textures each of the two fighters can wear: body parts, joints, bump
// maps for both, head frames, a gradient, an icon, the dq and ground
// textures. Made empty by the renderer's start-up, deleted at its release
// (fighter_textures_gl.cpp; needs the GL context).
#pragma once
#include "render/texture.h"

enum { FIGHTER_TEXTURE_PLAYERS = 2, HEAD_FRAME_COUNT = 8, FT_BODIES = 21, FT_JOINTS = 20 };

struct FighterTextures {
    Texture head_frame[HEAD_FRAME_COUNT];
    Texture body[FT_BODIES];
    Texture body_bump[FT_BODIES];
    Texture joint[FT_JOINTS];
    Texture joint_bump[FT_JOINTS];
    Texture gradient;
    Texture icon;
    Texture dq;
    Texture ground;
};

// Fighter 0 or 1; null for any other number or before start-up.
FighterTextures *fighter_textures(int fighter);
void fighter_textures_init(void);
void fighter_textures_free(void);

// Loaders: 0 on success, 1 when neither file loads or the entry does not
// exist (bad fighter, body or joint number).
int load_player_dq_texture(int fighter, const char *folder, const char *name);
int load_player_ground_texture(int fighter, const char *folder, const char *name);
int load_body_texture(int fighter, int body, const char *folder);
int load_body_bump_texture(int fighter, int body, const char *folder);
int load_joint_texture(int fighter, int joint, const char *folder);
int load_joint_bump_texture(int fighter, int joint, const char *folder);
int load_icon_texture(int fighter, const char *name, const char *folder);
// Body texture as a gradient of two colours laid out for the body's shape.
int get_body_texture_info(int fighter, int body, const float *a, const float *b);
// The fighter's gradient texture from two colours; returns 1.
int get_custom_texture_size(int fighter, const float *a, const float *b);

// Loads what the player's customisation record asks for into fighter's
// tables: body and joint textures and bump maps whose flags are set, the
// ground texture, from "custom/<player>" under base (a player name that is
// not a safe path loads nothing), and a gradient body texture from the two
// gradient colour rows where a part has both and no texture file. Entries
// not asked for are emptied, so drawing falls back to colours. Returns the
// number of textures asked for that did not load.
int apply_player_textures(int fighter, int player, const char *base, const char *player_name);
