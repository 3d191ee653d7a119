#include "render/fighter_textures.h"

#include <cstdio>

#include "app/base/utils.h"
#include "game/body_defs.h"
#include "game/game_state.h"
#include "net/records/custom_record.h"
#include "render/color_table.h"

static FighterTextures g_ft[FIGHTER_TEXTURE_PLAYERS];
static bool g_ready = false;

FighterTextures *fighter_textures(int fighter)
{
    if (!g_ready || fighter < 0 || fighter >= FIGHTER_TEXTURE_PLAYERS)
        return nullptr;
    return &g_ft[fighter];
}

// Every Texture of one fighter, in declaration order.
template <typename F> static void each(FighterTextures &f, F fn)
{
    for (Texture &t : f.head_frame) fn(t);
    for (Texture &t : f.body) fn(t);
    for (Texture &t : f.body_bump) fn(t);
    for (Texture &t : f.joint) fn(t);
    for (Texture &t : f.joint_bump) fn(t);
    fn(f.gradient); fn(f.icon); fn(f.dq); fn(f.ground);
}

void fighter_textures_init(void)
{
    if (g_ready)
        fighter_textures_free();
    for (FighterTextures &f : g_ft)
        each(f, [](Texture &t) { texture_init(&t); });
    g_ready = true;
}

void fighter_textures_free(void)
{
    if (!g_ready)
        return;
    for (FighterTextures &f : g_ft)
        each(f, [](Texture &t) { texture_delete(&t); });
    g_ready = false;
}

static int load(Texture *t, const char *folder, const char *name, bool blend)
{
    return (t && texture_load_named(t, folder, name, blend)) ? 0 : 1;
}

static Texture *body_entry(int fighter, int body, bool bump)
{
    FighterTextures *f = fighter_textures(fighter);
    if (!f || body < 0 || body >= FT_BODIES)
        return nullptr;
    return bump ? &f->body_bump[body] : &f->body[body];
}

static Texture *joint_entry(int fighter, int joint, bool bump)
{
    FighterTextures *f = fighter_textures(fighter);
    if (!f || joint < 0 || joint >= FT_JOINTS)
        return nullptr;
    return bump ? &f->joint_bump[joint] : &f->joint[joint];
}

int load_player_dq_texture(int fighter, const char *folder, const char *name)
{
    FighterTextures *f = fighter_textures(fighter);
    return load(f ? &f->dq : nullptr, folder, name, false);
}

int load_player_ground_texture(int fighter, const char *folder, const char *name)
{
    FighterTextures *f = fighter_textures(fighter);
    return load(f ? &f->ground : nullptr, folder, name, true);
}

int load_body_texture(int fighter, int body, const char *folder)
{
    Texture *t = body_entry(fighter, body, false);
    return t ? load(t, folder, builtin_body_table()[body].name, false) : 1;
}

// Loads the file named by format around a part's name; 1 when the entry
// does not exist.
static int load_part(Texture *t, const char *folder, const char *format, const char *part)
{
    if (!t)
        return 1;
    char name[64];
    snprintf(name, sizeof name, format, part);
    return load(t, folder, name, false);
}

int load_body_bump_texture(int fighter, int body, const char *folder)
{
    Texture *t = body_entry(fighter, body, true);
    return load_part(t, folder, "%s_bump", t ? builtin_body_table()[body].name : "");
}

int load_joint_texture(int fighter, int joint, const char *folder)
{
    Texture *t = joint_entry(fighter, joint, false);
    return load_part(t, folder, "j_%s", t ? builtin_joint_table()[joint].name : "");
}

int load_joint_bump_texture(int fighter, int joint, const char *folder)
{
    Texture *t = joint_entry(fighter, joint, true);
    return load_part(t, folder, "j_%s_bump", t ? builtin_joint_table()[joint].name : "");
}

int load_icon_texture(int fighter, const char *name, const char *folder)
{
    FighterTextures *f = fighter_textures(fighter);
    if (!f)
        return 1;
    char dir[512];
    snprintf(dir, sizeof dir, "%s/%s", folder, name);
    return load(&f->icon, dir, "icon", false);
}

int get_body_texture_info(int fighter, int body, const float *a, const float *b)
{
    Texture *t = body_entry(fighter, body, false);
    if (!t)
        return 1;
    // Spheres run top to bottom, capsules along their length, boxes take
    // the body layout (the feet their own). The shape is the one the
    // fighter was built with (a mod world may change it).
    const Player *p = get_player(fighter);
    const BodyDef *defs = p && p->body_defs ? p->body_defs : builtin_body_table();
    const int shape = defs[body].shape;
    const int mode = shape == SHAPE_SPHERE ? 0 : shape == SHAPE_CAPSULE ? 2 : 1;
    texture_make_gradient(t, a, b, mode, body == 19 || body == 20);
    return 0;
}

int get_custom_texture_size(int fighter, const float *a, const float *b)
{
    FighterTextures *f = fighter_textures(fighter);
    if (f)
        texture_make_gradient_small(&f->gradient, a, b);
    return 1;
}

// Reloading an entry always reads the file again (the customisation may
// have changed it): the entry is emptied first.
static void forget(Texture *t)
{
    t->loaded = false;
    t->path[0] = 0;
}

int apply_player_textures(int fighter, int player, const char *base, const char *player_name)
{
    FighterTextures *f = fighter_textures(fighter);
    const CustomRecord *rec = get_custom_record(player);
    if (!f || !rec)
        return 0;
    char folder[512];
    const bool safe = player_name && player_name[0] && is_safe_path(player_name, 0);
    snprintf(folder, sizeof folder, "%s/custom/%s", base, safe ? player_name : "");
    int missing = 0;
    auto want = [&](bool asked, Texture *t, int (*loader)(int, int, const char *), int i) {
        forget(t);
        if (asked && (!safe || loader(fighter, i, folder) != 0))
            missing++;
    };
    for (int b = 0; b < FT_BODIES; b++) {
        want(rec->tex_body[b] != 0, &f->body[b], load_body_texture, b);
        want(rec->bmap_body[b] != 0, &f->body_bump[b], load_body_bump_texture, b);
        const int c1 = rec->grad_color1[b], c2 = rec->grad_color2[b];
        if (!texture_is_loaded(&f->body[b]) && c1 > 0 && c2 > 0) {
            float a[3], z[3];
            get_color_rgb(c1, a);
            get_color_rgb(c2, z);
            get_body_texture_info(fighter, b, a, z);
        }
    }
    for (int j = 0; j < FT_JOINTS; j++) {
        want(rec->tex_joint[j] != 0, &f->joint[j], load_joint_texture, j);
        want(rec->bmap_joint[j] != 0, &f->joint_bump[j], load_joint_bump_texture, j);
    }
    forget(&f->ground);
    if (rec->tex_ground && (!safe || load_player_ground_texture(fighter, folder, "ground") != 0))
        missing++;
    // One line for the lot: the parts without their textures show colours.
    if (missing > 0)
        fprintf(stderr, "%d customisation texture%s of fighter %d not found in %s, drawn in colours\n", missing,
                missing == 1 ? "" : "s", fighter, folder);
    return missing;
}
