#include "game/dojo.h"

#include <cmath>

#include "game/match_rules.h"

const double DOJO_CENTRE[2] = {1.0, 0.85};

DojoGeometry dojo_geometry(const MatchRules *rules)
{
    DojoGeometry g = {DOJO_NONE, {DOJO_CENTRE[0], DOJO_CENTRE[1]}, 0, 0};
    if (!rules || rules->dojosize == 0 || (rules->dojotype != DOJO_SQUARE && rules->dojotype != DOJO_ROUND))
        return g;
    g.shape = rules->dojotype;
    g.half_side = rules->dojosize * 0.005;
    g.radius = rules->dojosize * 0.01;
    return g;
}

int dojo_point_outside(const MatchRules *rules, double x, double y)
{
    const DojoGeometry g = dojo_geometry(rules);
    const double dx = x - g.centre[0], dy = y - g.centre[1];
    if (g.shape == DOJO_SQUARE)
        return (std::fabs(dx) > g.half_side || std::fabs(dy) > g.half_side) ? 1 : 0;
    if (g.shape == DOJO_ROUND)
        return std::sqrt(dx * dx + dy * dy) > g.radius ? 1 : 0;
    return 0;
}
