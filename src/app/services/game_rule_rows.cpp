#include "app/services/game_rule_rows.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/base/text.h"
#include "app/base/number_text.h"
#include "game/match_rules.h"

static const GameRuleRow k_rows[GAME_RULE_ROWS + 1] = {
    {"mod", "Mod", "Game modifier",
     "Click to select a modifier (resets the game rules to the ones defined in the modifier)", 1},
    {"matchframes", "Match frames", "Number of frames in a match", "", 2},
    {"turnframes", "Turn frames", "Number of frames in every match turn", "E.g.: 50  or  20,30,40", 3},
    {"flags", "Flags", "0 = None , 1 = DQ , 2 = Decap , 4 = No gripping , 8 - Fractures",
     "Add value to combine. E.g. 3 = DQ and Decap", 4},
    {"dismemberment", "Dismemberment", "1 = Enables dismemberment", "", 5},
    {"fracture", "Fracture", "1 = Enables fractures", "", 6},
    {"disqualification", "Disqualifications", "1 = Enables disqualification", "", 7},
    {"dqtimeout", "DQ timeout", "Grace period for disqualification", "", 8},
    {"dqflag", "DQ flag", "0 = None , 1 = Immediate DQ outside dojo (even if timeout is set)", "", 9},
    {"dismemberthreshold", "Dismember Threshold", "Force threshold for joints dismemberment", "", 10},
    {"fracturethreshold", "Fracture Threshold", "Force threshold for fractures", "", 11},
    {"dojotype", "Dojo Type", "0 = Square dojo , 1 = Round dojo", "", 12},
    {"dojosize", "Dojo Size", "Size of dojo", "", 13},
    {"engagedistance", "Engage Distance", "Initial distance between opponents", "", 14},
    {"engageheight", "Engage Height", "Initial height of opponents", "", 15},
    {"engagerotation", "Engage Rotation", "Rotation of opponents",
     "E.g. 180 makes opponents stand back to back", 16},
    {"engagespace", "Engage Space", "Distance between by standers in 2 vs 2 matches", "", 17},
    {"engageplayerpos", "Players Engage Position", "Sets the engage position in space for all players",
     "E.g. 0,2,0, 0,0,4", 18},
    {"engageplayerrot", "Players Engage Rotation",
     "Sets the engage rotation for all players (currently around Z axis only)",
     "Engage position must be set.  E.g. 0,0,90, 0 0 0", 19},
    {"damage", "Damage", "Determines what damage rewards with score",
     "0 = Damage to opponent , 1 = Damage to anyone , 2 = Damage to player", 20},
    {"gravity", "Gravity", "Sets the gravity force in the game",
     "E.g. 0 0 -9.82 (Sets to the gravity on Earth)", 21},
    {"sumo", "Sumo", "Which bodyparts are exempted for causing loss (DQ) or damage",
     "0 = Classic (Feet and hands) , 1 = Sumo (Wrists, feet and hands)", 22},
    {"rpg", "Rpg", "1 = Enables rpg", "", 23},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

const GameRuleRow *game_rule_rows(void) { return k_rows; }

static void set_bit(MatchRules *r, int bit, const char *text)
{
    if (strcmp(text, "1") == 0)
        r->flags |= bit;
    else
        r->flags &= ~bit;
}

void rule_set_text(int index, const char *text)
{
    MatchRules *r = get_next_match_rules();
    if (!text)
        text = "";
    int32_t *number = nullptr;
    switch (index) {
    case 0: rules_set_mod_name(r, text); return;
    case 1: number = &r->matchframes; break;
    case 2: rules_set_turnframes(r, text); return;
    case 3: number = &r->flags; break;
    case 4: set_bit(r, RULE_FLAG_DISMEMBER, text); return;
    case 5: set_bit(r, RULE_FLAG_FRACTURE, text); return;
    case 6: set_bit(r, RULE_FLAG_DQ, text); return;
    case 7: number = &r->dqtimeout; break;
    case 8: number = &r->dqflag; break;
    case 9: number = &r->dismemberthreshold; break;
    case 10: number = &r->fracturethreshold; break;
    case 11: number = &r->dojotype; break;
    case 12: number = &r->dojosize; break;
    case 13: number = &r->engagedistance; break;
    case 14: number = &r->engageheight; break;
    case 15: number = &r->engagerotation; break;
    case 16: number = &r->engagespace; break;
    case 17: rules_set_engage_positions(r, text); return;
    case 18: rules_set_engage_rotations(r, text); return;
    case 19: number = &r->damage; break;
    case 20: rules_set_gravity(r, text); return;
    case 21: {
        int32_t v = text_to_int32(text);
        r->sumo = (v == 0 || v == 1) ? v : 0;
        return;
    }
    default: return;
    }
    *number = text_to_int32(text);
}
