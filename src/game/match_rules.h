// The rules of a match: the MatchRules record and its three live copies.
#pragma once
#include <cstdint>

enum {
    RULES_TURN_LIST_MAX = 32,
    RULES_TEXT_SIZE = 256,
    RULES_PLAYER_SLOTS = 2,
    RULES_KEY_COUNT = 32,
};

// Bits of MatchRules::flags.
enum {
    RULE_FLAG_DQ = 1,
    RULE_FLAG_DISMEMBER = 2,
    RULE_FLAG_NO_GRIP = 4,
    RULE_FLAG_FRACTURE = 8,
};

// A plain value: copied whole (live, next-match, mod rules, room list).
struct MatchRules {
    int32_t matchframes;
    int32_t turnframe_list[RULES_TURN_LIST_MAX];
    int32_t turnframe_count;
    char turnframe_text[RULES_TEXT_SIZE];
    int32_t int_a;            // NEWGAME field 18: network record mode / frames per commit
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
    int32_t int_b;            // NEWGAME field 11, passed through
    int32_t dojotype;
    int32_t dojosize;
    int32_t int_f;            // NEWGAME field 24, passed through
    int32_t dismemberthreshold;
    int32_t fracturethreshold;
    int32_t players;
    int32_t places;
    int32_t teams;
    int32_t team_of[RULES_PLAYER_SLOTS];
    int32_t int_e;            // NEWGAME field 16, passed through
    int32_t dqtimeout;
    float gravity[3];
    int32_t dqflag;
    int32_t rpg;
};

// The rules of the running match, of the next new game, and of the loaded mod.
MatchRules *get_match_rules(void);
MatchRules *get_next_match_rules(void);
MatchRules *get_mod_rules(void);
