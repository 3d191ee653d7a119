#include "render/fighter_skin_gl.h"

#include "render/fighter_look.h"
#include "render/fighter_textures.h"

static int g_flags[FIGHTER_TEXTURE_PLAYERS][2];   // bodies, head

void set_fighter_draw_flags(int fighter, int body_flags, int head_flags)
{
    if (fighter < 0 || fighter >= FIGHTER_TEXTURE_PLAYERS)
        return;
    g_flags[fighter][0] = body_flags;
    g_flags[fighter][1] = head_flags;
}

static const Texture *if_loaded(const Texture *t) { return t && texture_is_loaded(t) ? t : nullptr; }

int body_skin(int fighter, int body, int match_frame, int animated_head, int kind, Skin *out)
{
    *out = Skin{nullptr, nullptr, 0};
    FighterTextures *ft = fighter_textures(fighter);
    if (!ft || body < 0 || body >= FT_BODIES)
        return kind;
    out->flags = g_flags[fighter][body == 0 ? 1 : 0];
    out->color = if_loaded(&ft->body[body]);
    out->bump = if_loaded(&ft->body_bump[body]);
    // The head without a texture of its own wears the fighter's gradient.
    if (body == 0 && !out->color)
        out->color = if_loaded(&ft->gradient);
    if (body == 0 && animated_head && texture_is_loaded(&ft->head_frame[0])) {
        int loaded[HEAD_FRAME_COUNT];
        for (int f = 0; f < HEAD_FRAME_COUNT; f++)
            loaded[f] = texture_is_loaded(&ft->head_frame[f]);
        const int f = head_frame_index(match_frame, loaded);
        if (f >= 0)
            out->color = &ft->head_frame[f];
    }
    return out->color || out->bump ? DRAW_TEXTURED : kind;
}

int joint_skin(int fighter, int joint, int kind, Skin *out)
{
    *out = Skin{nullptr, nullptr, 0};
    FighterTextures *ft = fighter_textures(fighter);
    if (!ft || joint < 0 || joint >= FT_JOINTS)
        return kind;
    out->color = if_loaded(&ft->joint[joint]);
    out->bump = if_loaded(&ft->joint_bump[joint]);
    return out->color || out->bump ? DRAW_TEXTURED : kind;
}
