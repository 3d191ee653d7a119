#include "net/records/custom_record.h"

#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "app/base/utils.h"
#include "app/base/number_text.h"
#include "app/base/user_strings.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "net/records/wire_text.h"

static CustomRecord g_customs[CUSTOM_PLAYERS];

CustomRecord *get_custom_record(int player)
{
    if (player < 0 || player >= CUSTOM_PLAYERS)
        return nullptr;
    return &g_customs[player];
}

void clear_all_customs(void)
{
    memset(g_customs, 0, sizeof g_customs);
}

void apply_customs_all_players(int mode)
{
    // The fighters' colour fields are part of the world records (the world
    // build copies from get_custom_record); the textures are the renderer's.
    (void)mode;
    apply_all_player_textures();
}

void apply_all_player_textures(void)
{
    for (int i = 0; i < fighter_count() && i < CUSTOM_PLAYERS; i++)
        if (const Player *p = get_player(i))
            game_player_textures(i, i, p->name);
}

int current_player_fighter(void)
{
    const GameGlobals *g = get_game_globals();
    int i = g->network_mode && g->own_slot >= 0 ? g->own_slot : g->selected_player;
    if (i < 0)
        i = 0;
    return i < fighter_count() ? i : -1;
}

void apply_player_textures(void)
{
    const int i = current_player_fighter();
    if (i < 0 || i >= CUSTOM_PLAYERS)
        return;
    // Logged in: the user's own folder; otherwise nothing is loaded and the
    // fighter shows its colours.
    game_player_textures(i, i, get_nick_escaped());
}

static bool color_row_ok(const char *keyword, int32_t row)
{
    if (row >= 0 && row < CUSTOM_COLOR_ROWS)
        return true;
    fprintf(stderr, "%s: colour row %d out of range\n", keyword, (int)row);
    return false;
}

static bool index_ok(const char *keyword, const char *what, int32_t i, int count)
{
    if (i >= 0 && i < count)
        return true;
    fprintf(stderr, "%s: %s %d out of range\n", keyword, what, (int)i);
    return false;
}

// "index row" pairs into table[index].
static int parse_color_pairs(const char *keyword, const char *what, const char *text, int32_t *table,
                             int count)
{
    if (!text)
        return 0;
    int32_t v[2 * CUSTOM_BODY_PARTS];
    int n = read_int_list(text, BASE_C_FORMS, 2 * count, v);
    int dropped = 0;
    for (int i = 0; i + 1 < n; i += 2) {
        if (!index_ok(keyword, what, v[i], count) || !color_row_ok(keyword, v[i + 1])) {
            dropped = 1;
            continue;
        }
        table[v[i]] = v[i + 1];
    }
    return dropped;
}

static int parse_one_color(const char *keyword, const char *text, int32_t *out)
{
    int32_t v;
    if (read_int_list(text, BASE_C_FORMS, 1, &v) < 1)
        return 0;
    if (!color_row_ok(keyword, v))
        return 1;
    *out = v;
    return 0;
}

static int parse_flags(const char *text, int32_t *flags, int count)
{
    int32_t v[CUSTOM_BODY_PARTS];
    int n = read_int_list(text, BASE_C_FORMS, count, v);
    for (int i = 0; i < n; i++)
        flags[i] = v[i] != 0;
    return 0;
}

int parse_custom_bodcol(const char *text, CustomRecord *rec)
{
    return parse_color_pairs("BODCOL", "body part", text, rec->body_color, CUSTOM_BODY_PARTS);
}

int parse_custom_gradcol1(const char *text, CustomRecord *rec)
{
    return parse_color_pairs("GRADCOL1", "body part", text, rec->grad_color1, CUSTOM_BODY_PARTS);
}

int parse_custom_gradcol2(const char *text, CustomRecord *rec)
{
    return parse_color_pairs("GRADCOL2", "body part", text, rec->grad_color2, CUSTOM_BODY_PARTS);
}

int parse_custom_forcol(const char *text, CustomRecord *rec)
{
    return parse_one_color("FORCOL", text, &rec->force_color);
}

int parse_custom_relcol(const char *text, CustomRecord *rec)
{
    return parse_one_color("RELCOL", text, &rec->relax_color);
}

int parse_custom_repcol(const char *text, CustomRecord *rec)
{
    return parse_one_color("REPCOL", text, &rec->replay_color);
}

int parse_custom_trailcol(const char *text, CustomRecord *rec)
{
    int32_t v[3 * CUSTOM_TRAILS];
    int n = read_int_list(text, BASE_C_FORMS, 3 * CUSTOM_TRAILS, v);
    int dropped = 0;
    for (int i = 0; i + 2 < n; i += 3) {
        if (!index_ok("TRAILCOL", "trail", v[i], CUSTOM_TRAILS) || !color_row_ok("TRAILCOL", v[i + 1]) ||
            !color_row_ok("TRAILCOL", v[i + 2])) {
            dropped = 1;
            continue;
        }
        rec->trail_color[v[i]][0] = v[i + 1];
        rec->trail_color[v[i]][1] = v[i + 2];
    }
    return dropped;
}

int parse_custom_item(const char *text, CustomRecord *rec)
{
    return parse_color_pairs("ITEM", "item", text, rec->item_color, CUSTOM_ITEMS);
}

int parse_custom_decal(const char *text, CustomRecord *rec)
{
    char word[CUSTOM_NAME_SIZE + 1];
    if (!wire_read_word(text, word, sizeof word))
        return 0;
    if (strlen(word) >= CUSTOM_NAME_SIZE || !is_safe_path(word, 0)) {
        fprintf(stderr, "DECAL: bad name %s\n", word);
        return 1;
    }
    n_strncpyz(rec->decal, word, CUSTOM_NAME_SIZE);
    return 0;
}

int parse_custom_text(const char *text, CustomRecord *rec)
{
    wire_copy_field(rec->text, text, CUSTOM_TEXT_SIZE);
    return 0;
}

int parse_custom_sig(const char *text, CustomRecord *rec)
{
    wire_copy_field(rec->sig, text, CUSTOM_TEXT_SIZE);
    return 0;
}

int parse_custom_beltname(const char *text, CustomRecord *rec)
{
    wire_copy_field(rec->belt_name, text, CUSTOM_BELT_SIZE);
    return 0;
}

int parse_custom_texbody(const char *text, CustomRecord *rec)
{
    return parse_flags(text, rec->tex_body, CUSTOM_BODY_PARTS);
}

int parse_custom_bmapbody(const char *text, CustomRecord *rec)
{
    return parse_flags(text, rec->bmap_body, CUSTOM_BODY_PARTS);
}

int parse_custom_texjoint(const char *text, CustomRecord *rec)
{
    return parse_flags(text, rec->tex_joint, CUSTOM_JOINTS);
}

int parse_custom_bmapjoint(const char *text, CustomRecord *rec)
{
    return parse_flags(text, rec->bmap_joint, CUSTOM_JOINTS);
}

int parse_custom_textrail(const char *text, CustomRecord *rec)
{
    return parse_flags(text, rec->tex_trail, CUSTOM_TRAILS);
}

int parse_custom_texground(const char *text, CustomRecord *rec)
{
    return parse_flags(text, &rec->tex_ground, 1);
}

float flame_param_scale(int param)
{
    // The emitter takes every parameter in hundredths of its unit.
    (void)param;
    return 0.01f;
}

int parse_custom_flame(const char *text, int flame, CustomRecord *rec)
{
    if (!index_ok("FLAME", "flame", flame, CUSTOM_FLAMES))
        return 1;
    FlameRecord *f = &rec->flame[flame];
    int n = read_int_list(text, BASE_C_FORMS, FLAME_PARAMS, f->raw);
    for (int i = 0; i < FLAME_PARAMS; i++)
        f->value[i] = (float)f->raw[i] * flame_param_scale(i);
    if (n > 0)
        f->set = 1;
    return 0;
}

int parse_custom_flame0(const char *text, CustomRecord *rec) { return parse_custom_flame(text, 0, rec); }
int parse_custom_flame1(const char *text, CustomRecord *rec) { return parse_custom_flame(text, 1, rec); }
int parse_custom_flame2(const char *text, CustomRecord *rec) { return parse_custom_flame(text, 2, rec); }
int parse_custom_flame3(const char *text, CustomRecord *rec) { return parse_custom_flame(text, 3, rec); }
int parse_custom_flame4(const char *text, CustomRecord *rec) { return parse_custom_flame(text, 4, rec); }

const CustomKeyword custom_keywords[] = {
    {"BODCOL", parse_custom_bodcol},
    {"GRADCOL1", parse_custom_gradcol1},
    {"GRADCOL2", parse_custom_gradcol2},
    {"FORCOL", parse_custom_forcol},
    {"RELCOL", parse_custom_relcol},
    {"REPCOL", parse_custom_repcol},
    {"TRAILCOL", parse_custom_trailcol},
    {"ITEM", parse_custom_item},
    {"DECAL", parse_custom_decal},
    {"TEXT", parse_custom_text},
    {"SIG", parse_custom_sig},
    {"BELTNAME", parse_custom_beltname},
    {"TEXBODY", parse_custom_texbody},
    {"BMAPBODY", parse_custom_bmapbody},
    {"TEXJOINT", parse_custom_texjoint},
    {"BMAPJOINT", parse_custom_bmapjoint},
    {"TEXTRAIL", parse_custom_textrail},
    {"TEXGROUND", parse_custom_texground},
    {"FLAME0", parse_custom_flame0},
    {"FLAME1", parse_custom_flame1},
    {"FLAME2", parse_custom_flame2},
    {"FLAME3", parse_custom_flame3},
    {"FLAME4", parse_custom_flame4},
    {nullptr, nullptr},
};

CustomParser find_custom_parser(const char *keyword)
{
    if (!keyword)
        return nullptr;
    for (const CustomKeyword *k = custom_keywords; k->keyword; k++)
        if (strcmp(k->keyword, keyword) == 0)
            return k->parser;
    return nullptr;
}
