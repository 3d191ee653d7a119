#include "app/services/game_rule_rows.h"

#include "game/match_rules.h"

typedef GameRuleRow GameRuleRows[GAME_RULE_ROWS + 1];
static const GameRuleRows k_rows = {
    {RULE_MOD, "Mod", "Game modifier",
     "Click to select a modifier (resets the game rules to the ones defined in the modifier)", 1},
    {RULE_MATCHFRAMES, "Match frames", "Number of frames in a match", "", 2},
    {RULE_TURNFRAMES, "Turn frames", "Number of frames in every match turn", "E.g.: 50  or  20,30,40", 3},
    {RULE_FLAGS, "Flags", "0 = None , 1 = DQ , 2 = Decap , 4 = No gripping , 8 - Fractures",
     "Add value to combine. E.g. 3 = DQ and Decap", 4},
    {RULE_DISMEMBERMENT, "Dismemberment", "1 = Enables dismemberment", "", 5},
    {RULE_FRACTURE, "Fracture", "1 = Enables fractures", "", 6},
    {RULE_DISQUALIFICATION, "Disqualifications", "1 = Enables disqualification", "", 7},
    {RULE_DQTIMEOUT, "DQ timeout", "Grace period for disqualification", "", 8},
    {RULE_DQFLAG, "DQ flag", "0 = None , 1 = Immediate DQ outside dojo (even if timeout is set)", "", 9},
    {RULE_DISMEMBERTHRESHOLD, "Dismember Threshold", "Force threshold for joints dismemberment", "", 10},
    {RULE_FRACTURETHRESHOLD, "Fracture Threshold", "Force threshold for fractures", "", 11},
    {RULE_DOJOTYPE, "Dojo Type", "0 = Square dojo , 1 = Round dojo", "", 12},
    {RULE_DOJOSIZE, "Dojo Size", "Size of dojo", "", 13},
    {RULE_ENGAGEDISTANCE, "Engage Distance", "Initial distance between opponents", "", 14},
    {RULE_ENGAGEHEIGHT, "Engage Height", "Initial height of opponents", "", 15},
    {RULE_ENGAGEROTATION, "Engage Rotation", "Rotation of opponents",
     "E.g. 180 makes opponents stand back to back", 16},
    {RULE_ENGAGESPACE, "Engage Space", "Distance between by standers in 2 vs 2 matches", "", 17},
    {RULE_ENGAGEPLAYERPOS, "Players Engage Position", "Sets the engage position in space for all players",
     "E.g. 0,2,0, 0,0,4", 18},
    {RULE_ENGAGEPLAYERROT, "Players Engage Rotation",
     "Sets the engage rotation for all players (currently around Z axis only)",
     "Engage position must be set.  E.g. 0,0,90, 0 0 0", 19},
    {RULE_DAMAGE, "Damage", "Determines what damage rewards with score",
     "0 = Damage to opponent , 1 = Damage to anyone , 2 = Damage to player", 20},
    {RULE_GRAVITY, "Gravity", "Sets the gravity force in the game",
     "E.g. 0 0 -9.82 (Sets to the gravity on Earth)", 21},
    {RULE_SUMO, "Sumo", "Which bodyparts are exempted for causing loss (DQ) or damage",
     "0 = Classic (Feet and hands) , 1 = Sumo (Wrists, feet and hands)", 22},
    {RULE_RPG, "Rpg", "1 = Enables rpg", "", 23},
    {-1, nullptr, nullptr, nullptr, 0},
};

const GameRuleRow *game_rule_rows(void) { return k_rows; }

void rule_set_text(int index, const char *text)
{
    if (index < 0 || index > GAME_RULE_TEXT_ROWS - 1 || !text)
        return;
    rules_set_remembered(rule_table()[k_rows[index].rule].index, text, get_next_match_rules());
}
