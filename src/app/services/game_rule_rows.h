// The 23 game rules that default.cfg remembers, with the texts the rules
// windows show. Key, setter and text form come from the rule table.
#pragma once

enum { GAME_RULE_ROWS = 23 };

struct GameRuleRow {
    int rule;                 // RuleIndex, -1 in the terminating row
    const char *label;
    const char *description;
    const char *hint;         // "" when there is none
    int id;                   // row + 1
};

const GameRuleRow *game_rule_rows(void);
