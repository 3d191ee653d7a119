#include "game/match_rules.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "app/base/number_text.h"
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

int rules_gravity_from_mod(void) { return g_gravity_from_mod; }
int rules_dqflag_from_mod(void) { return g_dqflag_from_mod; }

void rules_set_nominal_turn_length(int frames) { g_nominal_turn_length = frames; }
int rules_nominal_turn_length(void) { return g_nominal_turn_length; }
// A replay is being played while the game state's replay mode is not 0.
int rules_replay_playing(void) { return get_game_globals()->replay_mode != 0; }

static int rule_locked(int index)
{
    return rules_replay_playing() ? rules_replay_locked(index) : rules_config_locked(index);
}

// ---------------------------------------------------------------------------
// The key table.

static const RuleKey k_rule_keys[RULES_KEY_COUNT + 1] = {
    {0, "mod", "mo", RULE_KIND_TEXT},
    {1, "matchframes", "mf", RULE_KIND_NUMBER},
    {2, "turnframes", "tf", RULE_KIND_NUMBER},
    {3, "flags", "fl", RULE_KIND_NUMBER},
    {4, "dismemberment", "di", RULE_KIND_ONOFF},
    {5, "fracture", "fr", RULE_KIND_ONOFF},
    {6, "disqualification", "dq", RULE_KIND_ONOFF},
    {7, "dqtimeout", "dqt", RULE_KIND_NUMBER},
    {8, "dqflag", "dqf", RULE_KIND_NUMBER},
    {9, "dismemberthreshold", "dt", RULE_KIND_NUMBER},
    {10, "fracturethreshold", "ft", RULE_KIND_NUMBER},
    {11, "dojotype", "dt", RULE_KIND_NUMBER},
    {12, "dojosize", "ds", RULE_KIND_NUMBER},
    {13, "engagedistance", "ed", RULE_KIND_NUMBER},
    {14, "engageheight", "eh", RULE_KIND_NUMBER},
    {15, "engagerotation", "er", RULE_KIND_NUMBER},
    {16, "engagespace", "es", RULE_KIND_NUMBER},
    {17, "engageplayerpos", "pp", RULE_KIND_TEXT},
    {18, "engageplayerrot", "pr", RULE_KIND_TEXT},
    {19, "damage", "da", RULE_KIND_NUMBER},
    {20, "gravity", "gr", RULE_KIND_TEXT},
    {21, "sumo", "su", RULE_KIND_ONOFF},
    {22, "rpg", "rp", RULE_KIND_NUMBER},
    {23, "default", "de", RULE_KIND_TEXT},
    {24, "desc", "des", RULE_KIND_TEXT},
    {25, "motd", "mot", RULE_KIND_TEXT},
    {26, "balance", "bal", RULE_KIND_NUMBER},
    {27, "maxclients", "mc", RULE_KIND_NUMBER},
    {28, "minbelt", "min", RULE_KIND_NUMBER},
    {29, "maxbelt", "max", RULE_KIND_NUMBER},
    {30, "queuejump", "qj", RULE_KIND_NUMBER},
    {31, "reactiontime", "re", RULE_KIND_NUMBER},
    {-1, nullptr, nullptr, 0},
};

const RuleKey *rule_key_table(void) { return k_rule_keys; }

int rule_find(const char *key)
{
    if (!key)
        return -1;
    for (const RuleKey *r = k_rule_keys; r->key; r++) {
        if (strcmp(key, r->key) == 0 || strcmp(key, r->short_key) == 0)
            return r->index;
    }
    return -1;
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

int rules_mod_name_ok(const char *name)
{
    if (!name || !*name || strpbrk(name, " \t\r\n")) {
        fprintf(stderr, "Mod name \"%s\" refused: it is empty or holds blanks\n", name ? name : "");
        return 0;
    }
    if (strlen(name) >= RULES_TEXT_SIZE) {
        fprintf(stderr, "Mod name refused: longer than %d characters\n", RULES_TEXT_SIZE - 1);
        return 0;
    }
    if (!is_safe_path(name, 1)) {
        fprintf(stderr, "Mod name \"%s\" refused: not a file under data/mod\n", name);
        return 0;
    }
    return 1;
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
// set_rule and friends.

static void set_flag_bit(MatchRules *rules, int bit, const char *value)
{
    if (text_to_int32(value) == 1)
        rules->flags |= bit;
    else
        rules->flags &= ~bit;
}

int set_rule(const char *key, const char *value, MatchRules *rules)
{
    int index = rule_find(key);
    if (index < 0 || (index >= 24 && index <= 30)) {
        fprintf(stderr, "No such option %s\n", key ? key : "");
        return 1;
    }
    if (!value)
        value = "";
    if (rule_locked(index))
        return 0;

    switch (index) {
    case RULE_MOD: return set_mod(rules, value);
    case RULE_MATCHFRAMES: rules->matchframes = text_to_int32(value); break;
    case RULE_TURNFRAMES:
        rules_set_turnframes(rules, value);
        rules_set_nominal_turn_length(rules->turnframe_list[0]);
        break;
    case RULE_FLAGS: rules->flags = text_to_int32(value); break;
    case RULE_DISMEMBERMENT: set_flag_bit(rules, RULE_FLAG_DISMEMBER, value); break;
    case RULE_FRACTURE: set_flag_bit(rules, RULE_FLAG_FRACTURE, value); break;
    case RULE_DISQUALIFICATION: set_flag_bit(rules, RULE_FLAG_DQ, value); break;
    case RULE_DQTIMEOUT: rules->dqtimeout = text_to_int32(value); break;
    case RULE_DQFLAG: rules->dqflag = text_to_int32(value); break;
    case RULE_DISMEMBERTHRESHOLD: rules->dismemberthreshold = text_to_int32(value); break;
    case RULE_FRACTURETHRESHOLD: rules->fracturethreshold = text_to_int32(value); break;
    case RULE_DOJOTYPE: rules->dojotype = text_to_int32(value); break;
    case RULE_DOJOSIZE: rules->dojosize = text_to_int32(value); break;
    case RULE_ENGAGEDISTANCE: rules->engagedistance = text_to_int32(value); break;
    case RULE_ENGAGEHEIGHT: rules->engageheight = text_to_int32(value); break;
    case RULE_ENGAGEROTATION: rules->engagerotation = text_to_int32(value); break;
    case RULE_ENGAGESPACE: rules->engagespace = text_to_int32(value); break;
    case RULE_ENGAGEPLAYERPOS: rules_set_engage_positions(rules, value); break;
    case RULE_ENGAGEPLAYERROT: rules_set_engage_rotations(rules, value); break;
    case RULE_DAMAGE: rules->damage = text_to_int32(value); break;
    case RULE_GRAVITY: rules_set_gravity(rules, value); break;
    case RULE_SUMO: {
        int32_t v = text_to_int32(value);
        rules->sumo = (v == 0 || v == 1) ? v : 0;
        break;
    }
    case RULE_RPG: rules->rpg = 0; break;   // only a NEWGAME line turns it on
    case RULE_DEFAULT: fill_default_rules(strcmp(value, "multi") == 0, rules); break;
    case RULE_REACTIONTIME: rules->reactiontime = text_to_int32(value); break;
    }
    return 0;
}

int set_rules_option(const char *key, const char *value, MatchRules *rules)
{
    int result = set_rule(key, value, rules);
    if (result == 0)
        set_rule(key, value, get_mod_rules());
    return result;
}

// Copies the field(s) that rule index i governs from src to dst.
static void copy_rule_field(int i, MatchRules *dst, const MatchRules *src)
{
    switch (i) {
    case RULE_MOD: memcpy(dst->mod, src->mod, sizeof dst->mod); break;
    case RULE_MATCHFRAMES: dst->matchframes = src->matchframes; break;
    case RULE_TURNFRAMES:
        memcpy(dst->turnframe_list, src->turnframe_list, sizeof dst->turnframe_list);
        dst->turnframe_count = src->turnframe_count;
        memcpy(dst->turnframe_text, src->turnframe_text, sizeof dst->turnframe_text);
        break;
    case RULE_FLAGS: dst->flags = src->flags; break;
    case RULE_DISMEMBERMENT:
        dst->flags = (dst->flags & ~RULE_FLAG_DISMEMBER) | (src->flags & RULE_FLAG_DISMEMBER);
        break;
    case RULE_FRACTURE:
        dst->flags = (dst->flags & ~RULE_FLAG_FRACTURE) | (src->flags & RULE_FLAG_FRACTURE);
        break;
    case RULE_DISQUALIFICATION: dst->flags = (dst->flags & ~RULE_FLAG_DQ) | (src->flags & RULE_FLAG_DQ); break;
    case RULE_DQTIMEOUT: dst->dqtimeout = src->dqtimeout; break;
    case RULE_DQFLAG: dst->dqflag = src->dqflag; break;
    case RULE_DISMEMBERTHRESHOLD: dst->dismemberthreshold = src->dismemberthreshold; break;
    case RULE_FRACTURETHRESHOLD: dst->fracturethreshold = src->fracturethreshold; break;
    case RULE_DOJOTYPE: dst->dojotype = src->dojotype; break;
    case RULE_DOJOSIZE: dst->dojosize = src->dojosize; break;
    case RULE_ENGAGEDISTANCE: dst->engagedistance = src->engagedistance; break;
    case RULE_ENGAGEHEIGHT: dst->engageheight = src->engageheight; break;
    case RULE_ENGAGEROTATION: dst->engagerotation = src->engagerotation; break;
    case RULE_ENGAGESPACE: dst->engagespace = src->engagespace; break;
    case RULE_ENGAGEPLAYERPOS:
    case RULE_ENGAGEPLAYERROT:
        memcpy(dst->engage_text, src->engage_text, sizeof dst->engage_text);
        memcpy(dst->engage_pos, src->engage_pos, sizeof dst->engage_pos);
        memcpy(dst->engage_rot, src->engage_rot, sizeof dst->engage_rot);
        dst->engage_set = src->engage_set;
        break;
    case RULE_DAMAGE: dst->damage = src->damage; break;
    case RULE_GRAVITY: memcpy(dst->gravity, src->gravity, sizeof dst->gravity); break;
    case RULE_SUMO: dst->sumo = src->sumo; break;
    case RULE_RPG: dst->rpg = src->rpg; break;
    case RULE_REACTIONTIME: dst->reactiontime = src->reactiontime; break;
    default: break;
    }
}

void fill_default_rules(int set, MatchRules *rules)
{
    const int multi = set != 0;
    // A locked rule keeps the value it had: clearing it to 0 would wipe a
    // remembered rule and leave, say, a match of 0 frames.
    const MatchRules old = *rules;
    memset(rules, 0, sizeof *rules);
    n_strncpyz(rules->mod, "classic", RULES_TEXT_SIZE);
    rules->int_b = 0;

    set_rule("matchframes", multi ? "120" : "500", rules);
    if (rule_locked(RULE_TURNFRAMES)) {
        snprintf(rules->turnframe_text, RULES_TEXT_SIZE, "%d", (int)rules->turnframe_list[0]);
        rules->turnframe_count = 1;
    } else {
        set_rule("turnframes", "10", rules);
    }
    set_rule("reactiontime", multi ? "20" : "0", rules);
    set_rule("engagedistance", "100", rules);
    set_rule("engageheight", "0", rules);
    set_rule("engagerotation", "0", rules);
    set_rule("flags", multi ? "3" : "2", rules);
    set_rule("sumo", "0", rules);
    set_rule("damage", "0", rules);
    set_rule("dqtimeout", "0", rules);
    set_rule("dojotype", "0", rules);
    set_rule("dojosize", "0", rules);
    set_rule("fracturethreshold", "0", rules);
    set_rule("rpg", "0", rules);
    set_rule("gravity", "0 0 -9.82", rules);
    set_rule("dismemberthreshold", "100", rules);
    rules->opening_frames = 0;
    rules->opening_turnframes = 0;
    rules->teams = 0;
    rules->places = 1;
    rules->players = 2;
    for (int i = 0; i < RULES_KEY_COUNT; i++)
        if (rule_locked(i))
            copy_rule_field(i, rules, &old);
}

// ---------------------------------------------------------------------------
// Text forms.

const char *rules_to_text(int index, const MatchRules *rules)
{
    static char buf[RULE_TEXT_BUFFER_SIZE];
    const size_t size = sizeof buf;
    size_t used = 0;
    buf[0] = '\0';
    // Appends with a bound; the buffer is sized for the longest valid text.
    auto put = [&](const char *fmt, auto... args) {
        if (used >= size - 1)
            return;
        int n = snprintf(buf + used, size - used, fmt, args...);
        if (n > 0)
            used += (size_t)n < size - used ? (size_t)n : size - used - 1;
    };
    int players = rule_players(rules);
    switch (index) {
    case RULE_MOD: put("%s", rules->mod); break;
    case RULE_MATCHFRAMES: put("%i", (int)rules->matchframes); break;
    case RULE_TURNFRAMES: {
        int count = rules->turnframe_count;
        if (count < 1)
            count = 1;
        if (count > RULES_TURN_LIST_MAX)
            count = RULES_TURN_LIST_MAX;
        put("%i", (int)rules->turnframe_list[0]);
        for (int i = 1; i < count; i++)
            put(",%i", (int)rules->turnframe_list[i]);
        break;
    }
    case RULE_FLAGS: put("%i", (int)rules->flags); break;
    case RULE_DISMEMBERMENT: put("%i", (rules->flags & RULE_FLAG_DISMEMBER) ? 1 : 0); break;
    case RULE_FRACTURE: put("%i", (rules->flags & RULE_FLAG_FRACTURE) ? 1 : 0); break;
    case RULE_DISQUALIFICATION: put("%i", (rules->flags & RULE_FLAG_DQ) ? 1 : 0); break;
    case RULE_DQTIMEOUT: put("%i", (int)rules->dqtimeout); break;
    case RULE_DQFLAG: put("%i", (int)rules->dqflag); break;
    case RULE_DISMEMBERTHRESHOLD: put("%i", (int)rules->dismemberthreshold); break;
    case RULE_FRACTURETHRESHOLD: put("%i", (int)rules->fracturethreshold); break;
    case RULE_DOJOTYPE: put("%i", (int)rules->dojotype); break;
    case RULE_DOJOSIZE: put("%i", (int)rules->dojosize); break;
    case RULE_ENGAGEDISTANCE: put("%i", (int)rules->engagedistance); break;
    case RULE_ENGAGEHEIGHT: put("%i", (int)rules->engageheight); break;
    case RULE_ENGAGEROTATION: put("%i", (int)rules->engagerotation); break;
    case RULE_ENGAGESPACE: put("%i", (int)rules->engagespace); break;
    case RULE_ENGAGEPLAYERPOS:
        put("%.2f,%.2f,%.2f", (double)rules->engage_pos[0][0], (double)rules->engage_pos[0][1],
            (double)rules->engage_pos[0][2]);
        if (rules->engage_set) {
            for (int p = 1; p < players; p++)
                put(",%.2f,%.2f,%.2f", (double)rules->engage_pos[p][0],
                    (double)rules->engage_pos[p][1], (double)rules->engage_pos[p][2]);
        }
        break;
    case RULE_ENGAGEPLAYERROT:
        put("%i,%i,%i", (int)rules->engage_rot[0][0], (int)rules->engage_rot[0][1],
            (int)rules->engage_rot[0][2]);
        for (int p = 1; p < players; p++)
            put(",%i,%i,%i", (int)rules->engage_rot[p][0], (int)rules->engage_rot[p][1],
                (int)rules->engage_rot[p][2]);
        break;
    case RULE_DAMAGE: put("%i", (int)rules->damage); break;
    case RULE_GRAVITY:
        put("%.2f %.2f %.2f", (double)rules->gravity[0], (double)rules->gravity[1],
            (double)rules->gravity[2]);
        break;
    case RULE_SUMO: put("%i", (int)rules->sumo); break;
    case RULE_RPG: put("%i", (int)rules->rpg); break;
    case RULE_REACTIONTIME: put("%i", (int)rules->reactiontime); break;
    default: put("%s", "none"); break;
    }
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
    char turn[RULES_TEXT_SIZE], mod[RULES_TEXT_SIZE];
    n_strncpyz(turn, rules->turnframe_text, sizeof turn);
    n_strncpyz(mod, rules->mod, sizeof mod);
    snprintf(buf, sizeof buf,
             "NEWGAME %i;%i %s %i %i %i %i %i %i %i %s %i %i %i %i %i %i %i %i %i %i %i %i %i %i %i "
             "%f %f %f %i %i\n",
             number, (int)rules->matchframes, turn, (int)rules->reactiontime,
             (int)rules->opening_frames, (int)rules->opening_turnframes, (int)rules->flags,
             (int)rules->engagedistance, (int)rules->damage, (int)rules->sumo, mod,
             (int)rules->int_b, (int)rules->dojosize, (int)rules->dismemberthreshold,
             (int)rules->fracturethreshold, (int)rules->engageheight, (int)rules->int_e,
             (int)rules->places, (int)rules->int_a, (int)rules->players,
             (int)rules->engagerotation, (int)rules->teams, (int)rules->engagespace,
             (int)rules->dqtimeout, (int)rules->int_f, (int)rules->dojotype,
             (double)rules->gravity[0], (double)rules->gravity[1], (double)rules->gravity[2],
             (int)rules->dqflag, (int)rules->rpg);
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

int parse_newgame_line(const char *text, MatchRules *rules)
{
    fill_default_rules(0, rules);
    if (!text)
        text = "";

    char turn[RULES_TEXT_SIZE] = "";
    FieldReader r = {text};
    int count = 0;
    int32_t *ints[] = {
        &rules->matchframes, nullptr, &rules->reactiontime, &rules->opening_frames,
        &rules->opening_turnframes, &rules->flags, &rules->engagedistance, &rules->damage,
        &rules->sumo, nullptr, &rules->int_b, &rules->dojosize, &rules->dismemberthreshold,
        &rules->fracturethreshold, &rules->engageheight, &rules->int_e, &rules->places,
        &rules->int_a, &rules->players, &rules->engagerotation, &rules->teams,
        &rules->engagespace, &rules->dqtimeout, &rules->int_f, &rules->dojotype,
        nullptr, nullptr, nullptr, &rules->dqflag, &rules->rpg,
    };
    for (int field = 1; field <= 30; field++) {
        int ok;
        if (field == 2) {
            ok = read_word_field(&r, turn, sizeof turn);
        } else if (field == 10) {
            char mod[RULES_TEXT_SIZE];
            ok = read_word_field(&r, mod, sizeof mod);
            if (ok)
                n_strncpyz(rules->mod, mod, RULES_TEXT_SIZE);
        } else if (field >= 26 && field <= 28) {
            ok = read_float_field(&r, &rules->gravity[field - 26]);
        } else {
            ok = read_int_field(&r, ints[field - 1]);
        }
        if (!ok)
            break;
        count++;
    }

    if (rules_replay_playing()) {
        static const int field_to_index[31] = {
            -1,
            RULE_MATCHFRAMES, RULE_TURNFRAMES, -1, -1, -1, RULE_FLAGS, RULE_ENGAGEDISTANCE,
            RULE_DAMAGE, RULE_SUMO, RULE_MOD, -1, RULE_DOJOSIZE, RULE_DISMEMBERTHRESHOLD,
            RULE_FRACTURETHRESHOLD, RULE_ENGAGEHEIGHT, -1, -1, -1, -1, RULE_ENGAGEROTATION, -1,
            RULE_ENGAGESPACE, RULE_DQTIMEOUT, -1, RULE_DOJOTYPE, RULE_GRAVITY, RULE_GRAVITY,
            RULE_GRAVITY, RULE_DQFLAG, -1,
        };
        memset(g_replay_locks, 0, sizeof g_replay_locks);
        for (int field = 1; field <= count; field++) {
            if (field_to_index[field] >= 0)
                g_replay_locks[field_to_index[field]] = 1;
        }
    }

    // Counts reach arrays of two player slots: keep them in range.
    if (rules->players < 1 || rules->players > RULES_PLAYER_SLOTS)
        rules->players = RULES_PLAYER_SLOTS;
    if (rules->places < 1 || rules->places >= 2)
        rules->places = 1;
    if (rules->teams < 2 || rules->teams > rules->players - 1)
        rules->teams = 0;

    g_gravity_from_mod = count < 26;
    g_dqflag_from_mod = count < 27;

    if (count >= 2) {
        rules_set_turnframes(rules, turn);
        rules_set_nominal_turn_length(rules->turnframe_list[0]);
    }
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
