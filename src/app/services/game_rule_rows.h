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
// Sets game rule index (rows 0..21; rpg and larger indices do nothing) of
// the next match's rules from its remembered text.
enum { GAME_RULE_TEXT_ROWS = 22 };
void rule_set_text(int index, const char *text);
