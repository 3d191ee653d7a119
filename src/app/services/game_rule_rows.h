// The 23 game rules that default.cfg remembers, with the texts the rules
// windows show, and the text setter of each rule on the next-match rules.
#pragma once

enum { GAME_RULE_ROWS = 23 };

struct GameRuleRow {
    const char *key;          // null in the terminating row
    const char *label;
    const char *description;
    const char *hint;         // "" when there is none
    int id;                   // row + 1
};

const GameRuleRow *game_rule_rows(void);

// Sets game rule index (0..21) of the next-match rules from text; larger
// indices do nothing.
void rule_set_text(int index, const char *text);
