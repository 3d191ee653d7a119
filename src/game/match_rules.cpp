#include "game/match_rules.h"

#include <climits>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/message_type.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "app/base/number_text.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"

static MatchRules g_live_rules;
static MatchRules g_next_rules;
static MatchRules g_mod_rules;

MatchRules *get_match_rules(void) { return &g_live_rules; }
MatchRules *get_next_match_rules(void) { return &g_next_rules; }
MatchRules *get_mod_rules(void) { return &g_mod_rules; }

// ---------------------------------------------------------------------------
// Module state: locks, old-format flags, the nominal turn length and whether
// a replay is playing.

static int g_replay_locks[RULES_KEY_COUNT];
static int g_config_locks[RULES_KEY_COUNT];
static int g_gravity_from_mod;
static int g_dqflag_from_mod;
static int g_nominal_turn_length;

void rules_set_config_lock(int index, int locked)
{
    if (index >= 0 && index < RULES_KEY_COUNT)
        g_config_locks[index] = locked ? 1 : 0;
}

void rules_clear_config_locks(void) { memset(g_config_locks, 0, sizeof g_config_locks); }

int rules_config_locked(int index)
{
    return index >= 0 && index < RULES_KEY_COUNT ? g_config_locks[index] : 0;
}

int rules_replay_locked(int index)
{
    return index >= 0 && index < RULES_KEY_COUNT ? g_replay_locks[index] : 0;
}

void rules_clear_replay_locks(void) { memset(g_replay_locks, 0, sizeof g_replay_locks); }

int rules_gravity_from_mod(void) { return g_gravity_from_mod; }
int rules_dqflag_from_mod(void) { return g_dqflag_from_mod; }
void rules_clear_old_format_flags(void) { g_gravity_from_mod = g_dqflag_from_mod = 0; }

void rules_set_nominal_turn_length(int frames) { g_nominal_turn_length = frames; }
int rules_nominal_turn_length(void) { return g_nominal_turn_length; }
// A replay is being played while the game state's replay mode is not 0.
int rules_replay_playing(void) { return get_game_globals()->replay_mode != 0; }

static int rule_locked(int index)
{
    return rules_replay_playing() ? rules_replay_locked(index) : rules_config_locked(index);
}

// ---------------------------------------------------------------------------
// The rule table: one row per rule. Setting, copying under a lock, printing,
// the defaults and both directions of the NEWGAME line loop over it.

#define FIELD(m) (int)offsetof(MatchRules, m), (int)sizeof(MatchRules::m)
#define SPAN(first, last)                                                                       \
    (int)offsetof(MatchRules, first),                                                           \
        (int)(offsetof(MatchRules, last) + sizeof(MatchRules::last) - offsetof(MatchRules, first))
#define NO_FIELD -1, 0

// The spans hold exactly their members: nothing was put between them.
static_assert(offsetof(MatchRules, turnframe_text) + RULES_TEXT_SIZE - offsetof(MatchRules, turnframe_list) ==
                  sizeof(MatchRules::turnframe_list) + sizeof(int32_t) + RULES_TEXT_SIZE,
              "turn list members are not together");
static_assert(offsetof(MatchRules, engage_set) + sizeof(int32_t) - offsetof(MatchRules, engage_text) ==
                  RULES_TEXT_SIZE + sizeof(MatchRules::engage_pos) + sizeof(MatchRules::engage_rot) +
                      sizeof(int32_t),
              "engage members are not together");

static const RuleRow k_rules[RULE_ROW_COUNT] = {
    // index, key, short key, kind, where, bit, NEWGAME field, replay lock, defaults single, multi
    {RULE_MOD, "mod", "mo", RULE_KIND_MOD, FIELD(mod), 0, 10, 1, "classic", "classic"},
    {RULE_MATCHFRAMES, "matchframes", "mf", RULE_KIND_INT, FIELD(matchframes), 0, 1, 1, "500", "120"},
    {RULE_TURNFRAMES, "turnframes", "tf", RULE_KIND_TURN_LIST, SPAN(turnframe_list, turnframe_text), 0, 2, 1,
     "10", "10"},
    {RULE_FLAGS, "flags", "fl", RULE_KIND_INT, FIELD(flags), 0, 6, 1, "2", "3"},
    {RULE_DISMEMBERMENT, "dismemberment", "di", RULE_KIND_FLAG_BIT, FIELD(flags), RULE_FLAG_DISMEMBER, 0, 0,
     nullptr, nullptr},
    {RULE_FRACTURE, "fracture", "fr", RULE_KIND_FLAG_BIT, FIELD(flags), RULE_FLAG_FRACTURE, 0, 0, nullptr,
     nullptr},
    {RULE_DISQUALIFICATION, "disqualification", "dq", RULE_KIND_FLAG_BIT, FIELD(flags), RULE_FLAG_DQ, 0, 0,
     nullptr, nullptr},
    {RULE_DQTIMEOUT, "dqtimeout", "dqt", RULE_KIND_INT, FIELD(dqtimeout), 0, 23, 1, "0", "0"},
    {RULE_DQFLAG, "dqflag", "dqf", RULE_KIND_INT, FIELD(dqflag), 0, 29, 1, nullptr, nullptr},
    {RULE_DISMEMBERTHRESHOLD, "dismemberthreshold", "dt", RULE_KIND_INT, FIELD(dismemberthreshold), 0, 13, 1,
     "100", "100"},
    {RULE_FRACTURETHRESHOLD, "fracturethreshold", "ft", RULE_KIND_INT, FIELD(fracturethreshold), 0, 14, 1, "0",
     "0"},
    // "dt" is taken by dismemberthreshold above: the first match wins.
    {RULE_DOJOTYPE, "dojotype", "dt", RULE_KIND_INT, FIELD(dojotype), 0, 25, 1, "0", "0"},
    {RULE_DOJOSIZE, "dojosize", "ds", RULE_KIND_INT, FIELD(dojosize), 0, 12, 1, "0", "0"},
    {RULE_ENGAGEDISTANCE, "engagedistance", "ed", RULE_KIND_INT, FIELD(engagedistance), 0, 7, 1, "100", "100"},
    {RULE_ENGAGEHEIGHT, "engageheight", "eh", RULE_KIND_INT, FIELD(engageheight), 0, 15, 1, "0", "0"},
    {RULE_ENGAGEROTATION, "engagerotation", "er", RULE_KIND_INT, FIELD(engagerotation), 0, 20, 1, "0", "0"},
    {RULE_ENGAGESPACE, "engagespace", "es", RULE_KIND_INT, FIELD(engagespace), 0, 22, 1, nullptr, nullptr},
    {RULE_ENGAGEPLAYERPOS, "engageplayerpos", "pp", RULE_KIND_ENGAGE_POS, SPAN(engage_text, engage_set), 0, 0, 0,
     nullptr, nullptr},
    {RULE_ENGAGEPLAYERROT, "engageplayerrot", "pr", RULE_KIND_ENGAGE_ROT, SPAN(engage_text, engage_set), 0, 0, 0,
     nullptr, nullptr},
    {RULE_DAMAGE, "damage", "da", RULE_KIND_INT, FIELD(damage), 0, 8, 1, "0", "0"},
    {RULE_GRAVITY, "gravity", "gr", RULE_KIND_GRAVITY, FIELD(gravity), 0, 26, 1, "0 0 -9.82", "0 0 -9.82"},
    {RULE_SUMO, "sumo", "su", RULE_KIND_ONOFF, FIELD(sumo), 0, 9, 1, "0", "0"},
    {RULE_RPG, "rpg", "rp", RULE_KIND_LINE_INT, FIELD(rpg), 0, 30, 0, "0", "0"},
    {RULE_DEFAULT, "default", "de", RULE_KIND_DEFAULTS, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {24, "desc", "des", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {25, "motd", "mot", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {26, "balance", "bal", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {27, "maxclients", "mc", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {28, "minbelt", "min", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {29, "maxbelt", "max", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    {30, "queuejump", "qj", RULE_KIND_SERVER, NO_FIELD, 0, 0, 0, nullptr, nullptr},
    // A replay's NEWGAME line does not lock the reaction time.
    {RULE_REACTIONTIME, "reactiontime", "re", RULE_KIND_INT, FIELD(reactiontime), 0, 3, 0, "0", "20"},
    // NEWGAME fields without a key. The counts are clamped after a line is read.
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(opening_frames), 0, 4, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(opening_turnframes), 0, 5, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(carried_field_11), 0, 11, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(carried_field_16), 0, 16, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(places), 0, 17, 0, "1", "1"},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(hold_frame), 0, 18, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(players), 0, 19, 0, "2", "2"},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(teams), 0, 21, 0, nullptr, nullptr},
    {-1, nullptr, nullptr, RULE_KIND_INT, FIELD(carried_field_24), 0, 24, 0, nullptr, nullptr},
};

#undef FIELD
#undef SPAN
#undef NO_FIELD

const RuleRow *rule_table(void) { return k_rules; }

int rule_find(const char *key)
{
    if (!key)
        return -1;
    for (int i = 0; i < RULES_KEY_COUNT; i++) {
        if (strcmp(key, k_rules[i].key) == 0 || strcmp(key, k_rules[i].short_key) == 0)
            return i;
    }
    return -1;
}

static const RuleRow *key_row(int index)
{
    return index >= 0 && index < RULES_KEY_COUNT ? &k_rules[index] : nullptr;
}

static int32_t *int_at(MatchRules *rules, const RuleRow *row)
{
    return (int32_t *)((char *)rules + row->offset);
}

static const int32_t *int_at(const MatchRules *rules, const RuleRow *row)
{
    return (const int32_t *)((const char *)rules + row->offset);
}

// The row that holds a NEWGAME field and which of its values the field is.
static const RuleRow *newgame_row(int field, int *part)
{
    for (const RuleRow &row : k_rules) {
        const int width = row.kind == RULE_KIND_GRAVITY ? 3 : 1;
        if (row.newgame && field >= row.newgame && field < row.newgame + width) {
            *part = field - row.newgame;
            return &row;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Numbers are read as atoi/atof would, but clamped to the 32-bit range and
// never as a non-finite float (number_text.h).

// Splits text at commas into at most max pieces of at most piece_size - 1
// characters each; an empty text gives no pieces. Returns the piece count,
// which may exceed max (the extra pieces are counted, not stored).
static int split_commas(const char *text, char pieces[][64], int max)
{
    if (!text || !*text)
        return 0;
    int count = 0;
    const char *p = text;
    for (;;) {
        const char *comma = strchr(p, ',');
        size_t len = comma ? (size_t)(comma - p) : strlen(p);
        if (count < max) {
            if (len > 63)
                len = 63;
            memcpy(pieces[count], p, len);
            pieces[count][len] = '\0';
        }
        count++;
        if (!comma)
            break;
        p = comma + 1;
    }
    return count;
}

// ---------------------------------------------------------------------------
// Turn frames, engage positions and rotations.

void rules_set_turnframes(MatchRules *rules, const char *text)
{
    char copy[RULES_TEXT_SIZE];
    n_strncpyz(copy, text ? text : "", sizeof copy);
    if (text && strlen(text) >= sizeof copy) {
        // Too long for the record: keep whole numbers only, never a cut one.
        char *comma = strrchr(copy, ',');
        if (comma)
            *comma = '\0';
    }
    char pieces[RULES_TURN_LIST_MAX][64];
    int count = split_commas(copy, pieces, RULES_TURN_LIST_MAX);
    if (count < 1) {
        count = 1;
        pieces[0][0] = '\0';
    }
    if (count > RULES_TURN_LIST_MAX)
        count = RULES_TURN_LIST_MAX;

    // The stored text is rebuilt from the numbers, so it never holds blanks
    // or other characters that would shift the fields of a NEWGAME line.
    char joined[RULES_TEXT_SIZE];
    int used = 0, kept = 0;
    joined[0] = '\0';
    for (int i = 0; i < count; i++) {
        int32_t v = text_to_int32(pieces[i]);
        int n = snprintf(joined + used, sizeof joined - used, i ? ",%d" : "%d", (int)v);
        if (n < 0 || (size_t)n >= sizeof joined - used) {
            joined[used] = '\0';
            break;
        }
        used += n;
        rules->turnframe_list[i] = v;
        kept++;
    }
    for (int i = kept; i < RULES_TURN_LIST_MAX; i++)
        rules->turnframe_list[i] = 0;
    rules->turnframe_count = kept;
    n_strncpyz(rules->turnframe_text, joined, RULES_TEXT_SIZE);
}

static int rule_players(const MatchRules *rules)
{
    int n = rules->players;
    return n > RULES_PLAYER_SLOTS ? RULES_PLAYER_SLOTS : n;
}

// "x,y,z" per player into the positions (as floats) or the rotations (as
// integers); 1 when every player got its three values, 0 when not, -1 when
// the rules have no players.
static int read_engage_values(MatchRules *rules, const char *text, float (*pos)[3], int32_t (*rot)[3])
{
    n_strncpyz(rules->engage_text, text, RULES_TEXT_SIZE);
    const int players = rule_players(rules);
    if (players < 1)
        return -1;
    char pieces[RULES_PLAYER_SLOTS * 3][64];
    const int count = split_commas(rules->engage_text, pieces, RULES_PLAYER_SLOTS * 3);
    for (int i = 0; i < count && i < players * 3; i++) {
        if (pos)
            pos[i / 3][i % 3] = text_to_float(pieces[i]);
        else
            rot[i / 3][i % 3] = text_to_int32(pieces[i]);
    }
    return count == players * 3 ? 1 : 0;
}

void rules_set_engage_positions(MatchRules *rules, const char *text)
{
    rules->engage_set = read_engage_values(rules, text, rules->engage_pos, nullptr) == 1;
}

void rules_set_engage_rotations(MatchRules *rules, const char *text)
{
    if (read_engage_values(rules, text, nullptr, rules->engage_rot) != 1)
        rules->engage_set = 0;
}

void rules_set_gravity(MatchRules *rules, const char *text)
{
    float g[3];
    bool usable = read_float_list(text, 3, g) == 3;
    for (int k = 0; usable && k < 3; k++)
        usable = std::fabs(g[k]) <= GRAVITY_LIMIT;
    if (!usable) {
        g[0] = 0.0f;
        g[1] = 0.0f;
        g[2] = -9.82f;
    }
    memcpy(rules->gravity, g, sizeof g);
}

// ---------------------------------------------------------------------------
// Mod names.

static int mod_file_exists(const char *name)
{
    char path[RULES_TEXT_SIZE + 16];
    snprintf(path, sizeof path, "data/mod/%s", name);
    return file_exists(data_path(path));
}

int rules_set_mod_name(MatchRules *rules, const char *name)
{
    if (!rules_mod_name_ok(name))
        return 1;
    n_strncpyz(rules->mod, name, RULES_TEXT_SIZE);
    return 0;
}

const char *rules_mod_name_problem(const char *name)
{
    if (!name || !*name || strpbrk(name, " \t\r\n"))
        return "it is empty or holds blanks";
    if (strlen(name) >= RULES_TEXT_SIZE)
        return "it is longer than 255 characters";
    if (!is_safe_path(name, 1))
        return "not a file under data/mod";
    return nullptr;
}

int rules_mod_name_ok(const char *name)
{
    const char *problem = rules_mod_name_problem(name);
    if (problem)
        fprintf(stderr, "Mod name \"%s\" refused: %s\n", name ? name : "", problem);
    return problem == nullptr;
}

// 0 taken or left unchanged (no such file), 1 refused with a message.
static int set_mod(MatchRules *rules, const char *name)
{
    if (!rules_mod_name_ok(name))
        return 1;
    if (strcmp(name, "classic") == 0) {
        n_strncpyz(rules->mod, name, RULES_TEXT_SIZE);
        return 0;
    }
    if (mod_file_exists(name))
        n_strncpyz(rules->mod, name, RULES_TEXT_SIZE);
    return 0;
}


// ---------------------------------------------------------------------------
// Setting, copying and printing, each by the row's kind.

enum { FROM_KEY = 0, FROM_CONFIG = 1 };

// Sets the rule of a row from text (never null). 0 taken, 1 refused.
static int apply_rule(const RuleRow *row, const char *value, MatchRules *rules, int from)
{
    switch (row->kind) {
    case RULE_KIND_INT:
        *int_at(rules, row) = text_to_int32(value);
        if (row->index == RULE_MATCHFRAMES && rules->matchframes > MATCH_FRAMES_MAX)
            rules->matchframes = MATCH_FRAMES_MAX;
        return 0;
    case RULE_KIND_ONOFF: {
        const int32_t v = text_to_int32(value);
        *int_at(rules, row) = (v == 0 || v == 1) ? v : 0;
        return 0;
    }
    case RULE_KIND_LINE_INT:
        if (from == FROM_KEY)
            *int_at(rules, row) = 0;
        return 0;
    case RULE_KIND_FLAG_BIT: {
        const bool on = from == FROM_CONFIG ? strcmp(value, "1") == 0 : text_to_int32(value) == 1;
        if (on)
            *int_at(rules, row) |= row->bit;
        else
            *int_at(rules, row) &= ~row->bit;
        return 0;
    }
    case RULE_KIND_MOD:
        if (from == FROM_CONFIG) {
            rules_set_mod_name(rules, value);
            return 0;
        }
        return set_mod(rules, value);
    case RULE_KIND_TURN_LIST:
        rules_set_turnframes(rules, value);
        if (from == FROM_KEY)
            rules_set_nominal_turn_length(rules->turnframe_list[0]);
        return 0;
    case RULE_KIND_ENGAGE_POS: rules_set_engage_positions(rules, value); return 0;
    case RULE_KIND_ENGAGE_ROT: rules_set_engage_rotations(rules, value); return 0;
    case RULE_KIND_GRAVITY: rules_set_gravity(rules, value); return 0;
    case RULE_KIND_DEFAULTS:
        if (from == FROM_KEY)
            fill_default_rules(strcmp(value, "multi") == 0, rules);
        return 0;
    default: return 0;   // RULE_KIND_SERVER: refused before it gets here
    }
}

int set_rule(const char *key, const char *value, MatchRules *rules)
{
    const RuleRow *row = key_row(rule_find(key));
    if (!row || row->kind == RULE_KIND_SERVER) {
        fprintf(stderr, "No such option %s\n", key ? key : "");
        return 1;
    }
    if (rule_locked(row->index))
        return 0;
    return apply_rule(row, value ? value : "", rules, FROM_KEY);
}

int set_rules_option(const char *key, const char *value, MatchRules *rules)
{
    // A mod name that cannot be played, or a mod that is not there, leaves
    // the rule as it was: the player is told once, here, since the rule is
    // set on two records.
    const RuleRow *row = key_row(rule_find(key));
    if (row && row->kind == RULE_KIND_MOD && value && !rule_locked(row->index)) {
        if (const char *problem = rules_mod_name_problem(value)) {
            game_echo(va_format("Mod name %s refused: %s; the mod stays %s", value, problem, rules->mod),
                      MSG_INGAME);
            return 0;
        }
        if (strcmp(value, "classic") != 0 && !mod_file_exists(value)) {
            game_echo(va_format("No mod %s in data/mod: the mod stays %s", value, rules->mod), MSG_INGAME);
            return 0;
        }
    }
    int result = set_rule(key, value, rules);
    if (result == 0)
        set_rule(key, value, get_mod_rules());
    return result;
}

void rules_set_remembered(int index, const char *text, MatchRules *rules)
{
    if (const RuleRow *row = key_row(index))
        apply_rule(row, text ? text : "", rules, FROM_CONFIG);
}

// Copies what the rule of a row governs from src to dst.
static void copy_rule(const RuleRow *row, MatchRules *dst, const MatchRules *src)
{
    if (row->size == 0)
        return;
    if (row->kind == RULE_KIND_FLAG_BIT)
        *int_at(dst, row) = (*int_at(dst, row) & ~row->bit) | (*int_at(src, row) & row->bit);
    else
        memcpy((char *)dst + row->offset, (const char *)src + row->offset, (size_t)row->size);
}

// The defaults of a set into a cleared record. With apply_locks they go in
// as the keys would set them: a locked rule keeps the value it had, and the
// turn list sets the nominal turn length.
static void fill_defaults(int set, MatchRules *rules, bool apply_locks)
{
    const MatchRules old = *rules;
    memset(rules, 0, sizeof *rules);
    for (const RuleRow &row : k_rules) {
        const char *value = set ? row.multi_default : row.single_default;
        if (!value || (apply_locks && rule_locked(row.index)))
            continue;
        // Unlocked, only the record is filled: the turn list goes in
        // without the nominal turn length.
        if (row.kind == RULE_KIND_TURN_LIST && !apply_locks)
            rules_set_turnframes(rules, value);
        else
            apply_rule(&row, value, rules, FROM_KEY);
    }
    if (!apply_locks)
        return;
    for (int i = 0; i < RULES_KEY_COUNT; i++)
        if (rule_locked(i))
            copy_rule(&k_rules[i], rules, &old);
}

void fill_default_rules(int set, MatchRules *rules)
{
    // A locked rule keeps the value it had: clearing it to 0 would wipe a
    // remembered rule and leave, say, a match of 0 frames.
    fill_defaults(set, rules, true);
}

// Appends to a fixed buffer with a bound; the text is cut, never overrun.
struct TextOut {
    char *buf;
    size_t size;
    size_t used;
};

template <typename... Args>
static void put(TextOut *out, const char *fmt, Args... args)
{
    if (out->used >= out->size - 1)
        return;
    int n = snprintf(out->buf + out->used, out->size - out->used, fmt, args...);
    if (n > 0)
        out->used += (size_t)n < out->size - out->used ? (size_t)n : out->size - out->used - 1;
}

static void put_rule_text(TextOut *out, const RuleRow *row, const MatchRules *rules)
{
    const int players = rule_players(rules);
    switch (row->kind) {
    case RULE_KIND_INT:
    case RULE_KIND_ONOFF:
    case RULE_KIND_LINE_INT: put(out, "%i", (int)*int_at(rules, row)); break;
    case RULE_KIND_FLAG_BIT: put(out, "%i", (*int_at(rules, row) & row->bit) ? 1 : 0); break;
    case RULE_KIND_MOD: put(out, "%s", rules->mod); break;
    case RULE_KIND_TURN_LIST: {
        int count = rules->turnframe_count;
        if (count < 1)
            count = 1;
        if (count > RULES_TURN_LIST_MAX)
            count = RULES_TURN_LIST_MAX;
        put(out, "%i", (int)rules->turnframe_list[0]);
        for (int i = 1; i < count; i++)
            put(out, ",%i", (int)rules->turnframe_list[i]);
        break;
    }
    case RULE_KIND_ENGAGE_POS:
        put(out, "%.2f,%.2f,%.2f", (double)rules->engage_pos[0][0], (double)rules->engage_pos[0][1],
            (double)rules->engage_pos[0][2]);
        if (rules->engage_set) {
            for (int p = 1; p < players; p++)
                put(out, ",%.2f,%.2f,%.2f", (double)rules->engage_pos[p][0], (double)rules->engage_pos[p][1],
                    (double)rules->engage_pos[p][2]);
        }
        break;
    case RULE_KIND_ENGAGE_ROT:
        put(out, "%i,%i,%i", (int)rules->engage_rot[0][0], (int)rules->engage_rot[0][1],
            (int)rules->engage_rot[0][2]);
        for (int p = 1; p < players; p++)
            put(out, ",%i,%i,%i", (int)rules->engage_rot[p][0], (int)rules->engage_rot[p][1],
                (int)rules->engage_rot[p][2]);
        break;
    case RULE_KIND_GRAVITY:
        put(out, "%.2f %.2f %.2f", (double)rules->gravity[0], (double)rules->gravity[1],
            (double)rules->gravity[2]);
        break;
    default: put(out, "%s", "none"); break;   // the defaults command and the server keys
    }
}

const char *rules_to_text(int index, const MatchRules *rules)
{
    static char buf[RULE_TEXT_BUFFER_SIZE];
    TextOut out = {buf, sizeof buf, 0};
    buf[0] = '\0';
    // The rules a player sets for a match have a text; the server-side keys
    // and the reaction time above them have none.
    const RuleRow *row = index <= RULE_DEFAULT ? key_row(index) : nullptr;
    if (row)
        put_rule_text(&out, row, rules);
    else
        put(&out, "%s", "none");
    return buf;
}

const char *get_rule_text(const char *key, int game_type, const MatchRules *rules)
{
    (void)game_type;
    int index = rule_find(key);
    if (index < 0)
        return "none";
    return rules_to_text(index, rules);
}

// ---------------------------------------------------------------------------
// NEWGAME and ENGAGE lines.

const char *make_newgame_line(int number, const MatchRules *rules)
{
    static char buf[NEWGAME_LINE_SIZE];
    TextOut out = {buf, sizeof buf, 0};
    buf[0] = '\0';
    put(&out, "NEWGAME %i;", number);
    for (int field = 1; field <= NEWGAME_FIELD_COUNT; field++) {
        int part = 0;
        const RuleRow *row = newgame_row(field, &part);
        const char *gap = field > 1 ? " " : "";
        switch (row->kind) {
        case RULE_KIND_MOD: put(&out, "%s%.*s", gap, RULES_TEXT_SIZE - 1, rules->mod); break;
        case RULE_KIND_TURN_LIST:
            put(&out, "%s%.*s", gap, RULES_TEXT_SIZE - 1, rules->turnframe_text);
            break;
        case RULE_KIND_GRAVITY: put(&out, "%s%f", gap, (double)rules->gravity[part]); break;
        default: put(&out, "%s%i", gap, (int)*int_at(rules, row)); break;
        }
    }
    put(&out, "\n");
    return buf;
}

// A bounded reader over a line with the conversions sscanf would make for
// "%i", "%s" and "%f", clamping integers and refusing non-finite floats.
struct FieldReader {
    const char *p;
};

static void skip_blanks(FieldReader *r)
{
    while (*r->p == ' ' || *r->p == '\t' || *r->p == '\r' || *r->p == '\n' || *r->p == '\v' ||
           *r->p == '\f')
        r->p++;
}

static int read_int_field(FieldReader *r, int32_t *out)
{
    const char *end = scan_int32(r->p, BASE_DECIMAL, out);
    if (!end)
        return 0;
    r->p = end;
    return 1;
}

static int read_float_field(FieldReader *r, float *out)
{
    const char *end = scan_float(r->p, out);
    if (!end)
        return 0;
    r->p = end;
    return 1;
}

static int read_word_field(FieldReader *r, char *out, int size)
{
    skip_blanks(r);
    int n = 0;
    while (r->p[n] && !strchr(" \t\r\n\v\f", r->p[n]))
        n++;
    if (n == 0)
        return 0;
    int keep = n < size - 1 ? n : size - 1;
    memcpy(out, r->p, (size_t)keep);
    out[keep] = '\0';
    r->p += n;
    return 1;
}

// Reads one NEWGAME field into the value of its row; 1 when read.
static int read_newgame_field(FieldReader *r, const RuleRow *row, int part, MatchRules *rules)
{
    switch (row->kind) {
    case RULE_KIND_MOD: return read_word_field(r, rules->mod, RULES_TEXT_SIZE);
    case RULE_KIND_TURN_LIST: {
        char turn[RULES_TEXT_SIZE];
        if (!read_word_field(r, turn, sizeof turn))
            return 0;
        rules_set_turnframes(rules, turn);
        return 1;
    }
    case RULE_KIND_GRAVITY: return read_float_field(r, &rules->gravity[part]);
    default: return read_int_field(r, int_at(rules, row));
    }
}

int read_newgame_fields(const char *text, MatchRules *rules)
{
    fill_defaults(0, rules, false);
    FieldReader r = {text ? text : ""};
    int count = 0;
    while (count < NEWGAME_FIELD_COUNT) {
        int part = 0;
        const RuleRow *row = newgame_row(count + 1, &part);
        if (!read_newgame_field(&r, row, part, rules))
            break;
        count++;
    }
    if (rules->matchframes > MATCH_FRAMES_MAX)
        rules->matchframes = MATCH_FRAMES_MAX;
    // Counts reach arrays of two player slots: keep them in range.
    if (rules->players < 1 || rules->players > RULES_PLAYER_SLOTS)
        rules->players = RULES_PLAYER_SLOTS;
    if (rules->places < 1 || rules->places >= 2)
        rules->places = 1;
    if (rules->teams < 2 || rules->teams > rules->players - 1)
        rules->teams = 0;
    return count;
}

int parse_newgame_line(const char *text, MatchRules *rules)
{
    const int count = read_newgame_fields(text, rules);
    if (rules_replay_playing()) {
        memset(g_replay_locks, 0, sizeof g_replay_locks);
        for (int field = 1; field <= count; field++) {
            int part = 0;
            const RuleRow *row = newgame_row(field, &part);
            if (row->replay_lock)
                g_replay_locks[row->index] = 1;
        }
    }
    rules_set_nominal_turn_length(rules->turnframe_list[0]);
    g_gravity_from_mod = count < 26;
    g_dqflag_from_mod = count < 27;
    return count;
}

int parse_engage_line(const char *text, int player, MatchRules *rules)
{
    if (player < 0 || player >= RULES_PLAYER_SLOTS)
        return 0;
    FieldReader r = {text ? text : ""};
    int count = 0;
    for (int i = 0; i < 3 && read_float_field(&r, &rules->engage_pos[player][i]); i++)
        count++;
    if (count == 3) {
        for (int i = 0; i < 3 && read_int_field(&r, &rules->engage_rot[player][i]); i++)
            count++;
    }
    rules->engage_set = 1;
    return count;
}

int write_engage_lines(char *dst, int size, const MatchRules *rules)
{
    if (size < 1)
        return 0;
    dst[0] = '\0';
    if (!rules->engage_set)
        return 0;
    int used = 0;
    for (int p = 0; p < rule_players(rules); p++) {
        int n = snprintf(dst + used, (size_t)(size - used), "ENGAGE %i; %f %f %f %i %i %i\n", p,
                         (double)rules->engage_pos[p][0], (double)rules->engage_pos[p][1],
                         (double)rules->engage_pos[p][2], (int)rules->engage_rot[p][0],
                         (int)rules->engage_rot[p][1], (int)rules->engage_rot[p][2]);
        if (n < 0 || n >= size - used) {
            dst[used] = '\0';   // a partial line is dropped, never left half-written
            break;
        }
        used += n;
    }
    return used;
}
