// The dojo: the part of the floor a match is fought on. One geometry serves
// the judging of ground contacts and the outline drawn on the floor, so that
// the outline is exactly the border that is judged.
#pragma once
#include <cstdint>

struct MatchRules;

enum { DOJO_NONE = -1, DOJO_SQUARE = 0, DOJO_ROUND = 1 };

// The centre: where the default two-fighter start stands, both fighters
// equally far from it (they face each other across y = 0.85 at x = 1).
extern const double DOJO_CENTRE[2];

struct DojoGeometry {
    int32_t shape;       // DOJO_NONE, DOJO_SQUARE or DOJO_ROUND
    double centre[2];
    double half_side;    // square: half its side (dojosize x 0.005), sides along x and y
    double radius;       // round: dojosize x 0.01
};

// The rules' dojo; shape DOJO_NONE when the size is 0 or the type is
// neither square nor round (then nothing is outside).
DojoGeometry dojo_geometry(const MatchRules *rules);
// 1 when (x, y) lies outside the rules' dojo; 0 inside or when there is no
// dojo. A point exactly on the border is inside.
int dojo_point_outside(const MatchRules *rules, double x, double y);
