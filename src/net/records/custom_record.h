// Per-player customisation records: colours per body part, joint and trail
// colours, item colours, texture and bump-map flags, decal, texts, belt name
// and five flames, filled by the customisation lines of the protocol (and
// by the players' customisation files). The textures and flames a record
// names are loaded by the renderer and the particle system; this file only
// keeps what the lines say.
#pragma once
#include <cstdint>

#include "game/match_rules.h"

enum {
    CUSTOM_PLAYERS = RULES_PLAYER_SLOTS,
    CUSTOM_BODY_PARTS = 21,
    CUSTOM_JOINTS = 20,
    CUSTOM_TRAILS = 4,
    CUSTOM_ITEMS = 16,
    CUSTOM_FLAMES = 5,
    FLAME_PARAMS = 52,
    CUSTOM_COLOR_ROWS = 125,   // rows of the colour table, 0 = not set
    CUSTOM_TEXT_SIZE = 128,
    CUSTOM_NAME_SIZE = 64,
    CUSTOM_BELT_SIZE = 32,
};

// One flame: each parameter as received and as the scaled value the
// emitter uses.
struct FlameRecord {
    int32_t raw[FLAME_PARAMS];
    float value[FLAME_PARAMS];
    int32_t set;               // 1 once a flame line filled it
};

struct CustomRecord {
    int32_t body_color[CUSTOM_BODY_PARTS];    // colour rows, 0 = not set
    int32_t grad_color1[CUSTOM_BODY_PARTS];
    int32_t grad_color2[CUSTOM_BODY_PARTS];
    int32_t force_color;                      // joint colours
    int32_t relax_color;
    int32_t replay_color;
    int32_t trail_color[CUSTOM_TRAILS][2];    // head and tail rows per trail
    int32_t item_color[CUSTOM_ITEMS];
    char decal[CUSTOM_NAME_SIZE];
    char text[CUSTOM_TEXT_SIZE];
    char sig[CUSTOM_TEXT_SIZE];
    char belt_name[CUSTOM_BELT_SIZE];
    int32_t tex_body[CUSTOM_BODY_PARTS];      // 0/1 flags
    int32_t bmap_body[CUSTOM_BODY_PARTS];
    int32_t tex_joint[CUSTOM_JOINTS];
    int32_t bmap_joint[CUSTOM_JOINTS];
    int32_t tex_trail[CUSTOM_TRAILS];
    int32_t tex_ground;
    FlameRecord flame[CUSTOM_FLAMES];
    int32_t blood_color;                      // colour row of the blood, 0 default
};

// Player i's record, or null outside 0 .. CUSTOM_PLAYERS - 1.
CustomRecord *get_custom_record(int player);
// Every player's record back to zero (a replay file read, a new game).
void clear_all_customs(void);
// Hands every player's record to the fighters at a new match: the textures
// it asks for are loaded into each fighter's tables (through the game's
// callback table, from "custom/<player name>"). The colour fields are read
// by the world build.
void apply_customs_all_players(int mode);
// Loads every fighter's customisation textures again (a new GL context, a
// finished download), each from "custom/<fighter name>".
void apply_all_player_textures(void);
// The fighter the player at this machine controls: the own slot in a
// network game, else the selected fighter, else 0; -1 when that fighter is
// not in the match.
int current_player_fighter(void);
// Loads the current player's textures from the logged-in user's own folder
// ("custom/<nick without clan tag>"); without a login, or with a name that
// is not a plain file name, the textures are emptied and the fighter shows
// its colours.
void apply_player_textures(void);

// One parser per customisation keyword. Each returns 0 when the whole line
// was taken, 1 when some value was dropped (with a message on standard
// error); values before and after a dropped one are still stored.
typedef int (*CustomParser)(const char *text, CustomRecord *rec);

// "part row" pairs (part 0..20, colour row 0..124).
int parse_custom_bodcol(const char *text, CustomRecord *rec);
int parse_custom_gradcol1(const char *text, CustomRecord *rec);
int parse_custom_gradcol2(const char *text, CustomRecord *rec);
// One colour row.
int parse_custom_forcol(const char *text, CustomRecord *rec);
int parse_custom_relcol(const char *text, CustomRecord *rec);
int parse_custom_repcol(const char *text, CustomRecord *rec);
// "trail head tail" triples (trail 0..3).
int parse_custom_trailcol(const char *text, CustomRecord *rec);
// "item row" pairs (item 0..15).
int parse_custom_item(const char *text, CustomRecord *rec);
// One word naming a decal image (letters, digits, '-', '_', '.'; no
// leading '.').
int parse_custom_decal(const char *text, CustomRecord *rec);
// The rest of the line as text.
int parse_custom_text(const char *text, CustomRecord *rec);
int parse_custom_sig(const char *text, CustomRecord *rec);
int parse_custom_beltname(const char *text, CustomRecord *rec);
// Flags in part, joint or trail order (any non-zero value is 1).
int parse_custom_texbody(const char *text, CustomRecord *rec);
int parse_custom_bmapbody(const char *text, CustomRecord *rec);
int parse_custom_texjoint(const char *text, CustomRecord *rec);
int parse_custom_bmapjoint(const char *text, CustomRecord *rec);
int parse_custom_textrail(const char *text, CustomRecord *rec);
int parse_custom_texground(const char *text, CustomRecord *rec);
// Up to 52 parameters of flame 0..4 in order; missing ones keep their value.
int parse_custom_flame(const char *text, int flame, CustomRecord *rec);
int parse_custom_flame0(const char *text, CustomRecord *rec);
int parse_custom_flame1(const char *text, CustomRecord *rec);
int parse_custom_flame2(const char *text, CustomRecord *rec);
int parse_custom_flame3(const char *text, CustomRecord *rec);
int parse_custom_flame4(const char *text, CustomRecord *rec);

// The scale from a flame parameter's received integer to the emitter's value.
float flame_param_scale(int param);

// The customisation keyword table (keyword, parser), ended by a null row.
struct CustomKeyword {
    const char *keyword;
    CustomParser parser;
};
extern const CustomKeyword custom_keywords[];
// The parser of a keyword (exact match), or null.
CustomParser find_custom_parser(const char *keyword);
