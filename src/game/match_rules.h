// The rules of a match: the MatchRules record and its three live copies, the
// game-rule keys that change it, its text form, and the NEWGAME and ENGAGE
// protocol lines that carry it.
#pragma once
#include <cstdint>

enum {
    RULES_TURN_LIST_MAX = 32,
    RULES_TEXT_SIZE = 256,
    RULES_PLAYER_SLOTS = 2,
    RULES_KEY_COUNT = 32,
};

// The longest match the rules allow (frames): a longer `matchframes`, set
// or read from a NEWGAME line, is held to it. The replay buffer holds a
// whole match of this length, one frame for every match frame.
enum { MATCH_FRAMES_MAX = 100000 };

// Bits of MatchRules::flags.
enum {
    RULE_FLAG_DQ = 1,
    RULE_FLAG_DISMEMBER = 2,
    RULE_FLAG_NO_GRIP = 4,
    RULE_FLAG_FRACTURE = 8,
};

// Index of each game-rule key (its row of the rule table).
enum RuleIndex {
    RULE_MOD = 0,
    RULE_MATCHFRAMES = 1,
    RULE_TURNFRAMES = 2,
    RULE_FLAGS = 3,
    RULE_DISMEMBERMENT = 4,
    RULE_FRACTURE = 5,
    RULE_DISQUALIFICATION = 6,
    RULE_DQTIMEOUT = 7,
    RULE_DQFLAG = 8,
    RULE_DISMEMBERTHRESHOLD = 9,
    RULE_FRACTURETHRESHOLD = 10,
    RULE_DOJOTYPE = 11,
    RULE_DOJOSIZE = 12,
    RULE_ENGAGEDISTANCE = 13,
    RULE_ENGAGEHEIGHT = 14,
    RULE_ENGAGEROTATION = 15,
    RULE_ENGAGESPACE = 16,
    RULE_ENGAGEPLAYERPOS = 17,
    RULE_ENGAGEPLAYERROT = 18,
    RULE_DAMAGE = 19,
    RULE_GRAVITY = 20,
    RULE_SUMO = 21,
    RULE_RPG = 22,
    RULE_DEFAULT = 23,
    RULE_REACTIONTIME = 31,
};

// A plain value: copied whole (live, next-match, mod rules, room list).
// The turn-list members and the engage members stay together and in this
// order: the rule table copies each group as one span.
struct MatchRules {
    int32_t matchframes;
    int32_t turnframe_list[RULES_TURN_LIST_MAX];
    int32_t turnframe_count;
    char turnframe_text[RULES_TEXT_SIZE];
    int32_t opening_frames;
    int32_t opening_turnframes;
    int32_t reactiontime;
    int32_t engagedistance;
    int32_t engageheight;
    int32_t engagerotation;
    int32_t engagespace;
    char engage_text[RULES_TEXT_SIZE];
    float engage_pos[RULES_PLAYER_SLOTS][3];
    int32_t engage_rot[RULES_PLAYER_SLOTS][3];
    int32_t engage_set;
    int32_t damage;
    int32_t flags;
    int32_t sumo;
    char mod[RULES_TEXT_SIZE];
    int32_t dojotype;
    int32_t dojosize;
    int32_t dismemberthreshold;
    int32_t fracturethreshold;
    int32_t players;
    int32_t places;
    int32_t teams;
    int32_t team_of[RULES_PLAYER_SLOTS];
    int32_t dqtimeout;
    float gravity[3];
    int32_t dqflag;
    int32_t rpg;
    // Non-zero: in network play the client holds one frame per turn for the
    // server instead of recording every frame (the turn cycle's record modes).
    int32_t hold_frame;
    // NEWGAME fields 11, 16 and 24 carry values no rule of this game reads;
    // they are kept so that a line read and written again stays the same.
    int32_t carried_field_11;
    int32_t carried_field_16;
    int32_t carried_field_24;
};

// How a rule's value is set, printed, copied and carried on a NEWGAME line.
enum RuleKind {
    RULE_KIND_INT = 0,        // int32_t: text_to_int32, "%i"
    RULE_KIND_ONOFF,          // int32_t that takes 0 or 1 (anything else gives 0)
    RULE_KIND_LINE_INT,       // int32_t that only a NEWGAME line sets; the key clears it
    RULE_KIND_FLAG_BIT,       // one bit of flags, set by 1 and cleared by anything else
    RULE_KIND_MOD,            // mod name: one word naming a file under data/mod
    RULE_KIND_TURN_LIST,      // turn frame list "10,20,30" (list, count and text)
    RULE_KIND_ENGAGE_POS,     // "x,y,z" per player into the engage positions
    RULE_KIND_ENGAGE_ROT,     // "x,y,z" per player into the engage rotations
    RULE_KIND_GRAVITY,        // three floats: "%.2f" as text, "%f" in three NEWGAME fields
    RULE_KIND_DEFAULTS,       // a command: fills the defaults ("multi" or single player)
    RULE_KIND_SERVER,         // a game-server key: refused here, text "none"
};

// One row per rule: every key, then every NEWGAME field that has no key.
// Key row i holds RuleIndex i.
struct RuleRow {
    int index;                // RuleIndex; -1 for a NEWGAME field without a key
    const char *key;          // null for a NEWGAME field without a key
    const char *short_key;
    int kind;                 // RuleKind
    int offset;               // where the value lives: byte offset into MatchRules, -1 none
    int size;                 // bytes from offset that a locked rule keeps, 0 none
    int32_t bit;              // RULE_KIND_FLAG_BIT: its bit of flags
    int newgame;              // NEWGAME field (1-based; gravity: the first of three), 0 none
    int replay_lock;          // 1: a replay's NEWGAME line that holds the field locks the key
    const char *single_default;   // what the single-player defaults set, null nothing
    const char *multi_default;    // what the multiplayer defaults set, null nothing
};

enum {
    RULE_ROW_COUNT = RULES_KEY_COUNT + 9,
    NEWGAME_FIELD_COUNT = 30,
};

// The rules of the running match, of the next new game, and of the loaded mod.
MatchRules *get_match_rules(void);
MatchRules *get_next_match_rules(void);
MatchRules *get_mod_rules(void);

// The RULE_ROW_COUNT rows: the RULES_KEY_COUNT key rows (row i holds
// RuleIndex i), then the NEWGAME fields that have no key.
const RuleRow *rule_table(void);
// Row index of a key or short key (first row that matches wins), -1 if none.
int rule_find(const char *key);

// Sets one rule from text. 0: accepted (also when the rule is locked or a
// named mod file is missing); 1: a key no row has, a server-side key, or a
// refused mod name, with a message on standard error.
int set_rule(const char *key, const char *value, MatchRules *rules);
// set_rule on rules; when accepted, the same on the mod rules record.
int set_rules_option(const char *key, const char *value, MatchRules *rules);
// Sets key row index from a text the configuration file remembered. No lock
// applies (remembered rules are locked as they load); a mod name is checked
// but not looked for on disk; a flag bit takes exactly "1"; the turn list
// leaves the nominal turn length; rpg, default and the server keys do nothing.
void rules_set_remembered(int index, const char *text, MatchRules *rules);
// set 0: single-player defaults, non-zero: multiplayer defaults.
void fill_default_rules(int set, MatchRules *rules);

// Text of one rule by key ("none" when no row matches); the game type is
// not used. The result lives in a static buffer until the next call.
const char *get_rule_text(const char *key, int game_type, const MatchRules *rules);
// One rule by index 0..23 in its text form; "none" for any other index.
const char *rules_to_text(int index, const MatchRules *rules);

// Longest NEWGAME line the writer can produce, terminator included.
enum { NEWGAME_LINE_SIZE = 2048, RULE_TEXT_BUFFER_SIZE = 1024 };

// "NEWGAME %i; ..." in a static buffer, valid until the next call.
const char *make_newgame_line(int number, const MatchRules *rules);
// Reads the text after the semicolon into rules (the single-player defaults
// for the fields the line lacks, the player, place and team counts kept in
// range) and returns the fields read. Touches nothing but the record, so
// any thread may call it: the lobby reader fills its room entries with it.
int read_newgame_fields(const char *text, MatchRules *rules);
// The NEWGAME line of the match about to start (main thread only):
// read_newgame_fields, then the state the line sets for that match: the
// replay locks during playback, the old-format flags and the nominal turn
// length.
int parse_newgame_line(const char *text, MatchRules *rules);
// Reads "%f %f %f %i %i %i" into the player's engage slot; returns the
// fields read (0 and nothing changed for a player outside the slots).
int parse_engage_line(const char *text, int player, MatchRules *rules);
// One "ENGAGE %i; %f %f %f %i %i %i\n" line per player while the placement
// is set, into dst (always terminated); returns the length written.
int write_engage_lines(char *dst, int size, const MatchRules *rules);

// Parses a turn frame list ("10" or "10,20,30") into rules; the stored text
// is the numbers joined by commas. Unlike the turnframes key it leaves the
// nominal turn length alone.
void rules_set_turnframes(MatchRules *rules, const char *text);

// The text setters behind the keys, also used by the configuration file:
// engage positions and rotations ("x,y,z" per player), gravity ("%f %f %f",
// fewer than three numbers, or one beyond GRAVITY_LIMIT, give 0 0 -9.82).
// The limit, a thousand times the earth's, keeps the world step finite.
constexpr float GRAVITY_LIMIT = 1e4f;
void rules_set_engage_positions(MatchRules *rules, const char *text);
void rules_set_engage_rotations(MatchRules *rules, const char *text);
void rules_set_gravity(MatchRules *rules, const char *text);
// A mod name must be one word of at most 255 characters naming a file under
// data/mod, in a folder under it or not (no part may climb out of it). The
// one rule for mod names: the rules, the mod loader and a new match take
// it. rules_mod_name_problem gives why a name breaks it (null when it does
// not); rules_mod_name_ok is 1 when it keeps it, else 0 with the reason on
// standard error.
const char *rules_mod_name_problem(const char *name);
int rules_mod_name_ok(const char *name);
// Stores a mod name checked by rules_mod_name_ok (no file test); 0 or 1.
int rules_set_mod_name(MatchRules *rules, const char *name);

// Rule locks: while a replay plays the replay locks apply, else the
// configuration locks. A set on a locked index succeeds and changes nothing.
void rules_set_config_lock(int index, int locked);
void rules_clear_config_locks(void);
int rules_config_locked(int index);
int rules_replay_locked(int index);
void rules_clear_replay_locks(void);

// Raised by a NEWGAME line of fewer than 26 (gravity) or 27 (dqflag) fields:
// the match that line starts takes that value from the mod's own rules. Each
// line sets both; the new match clears them.
int rules_gravity_from_mod(void);
int rules_dqflag_from_mod(void);
void rules_clear_old_format_flags(void);

// The nominal turn length (the first turn frame entry), kept here until the
// game-state record has a field for it.
void rules_set_nominal_turn_length(int frames);
int rules_nominal_turn_length(void);
// 1 while a replay is being played (the game state's replay mode is not 0):
// then the replay locks apply instead of the configuration locks.
int rules_replay_playing(void);
