#include "game/match_rules.h"

static MatchRules g_live_rules;
static MatchRules g_next_rules;
static MatchRules g_mod_rules;

MatchRules *get_match_rules(void) { return &g_live_rules; }
MatchRules *get_next_match_rules(void) { return &g_next_rules; }
MatchRules *get_mod_rules(void) { return &g_mod_rules; }
