// The belt table: rows from the highest belt down, each with the qi at which
// it is reached.
#include "game/belts.h"

struct BeltRow {
    int min_qi;
    const char *name;
};

static const BeltRow k_belts[] = {
    {20000, "Master"},
    {10000, "Tenth Dan"},
    {5000, "Fifth Dan"},
    {3000, "Second Dan"},
    {2000, "First Dan"},
    {1000, "Black"},
    {500, "Brown"},
    {250, "Blue"},
    {100, "Green"},
    {50, "Orange"},
    {20, "Yellow"},
    {0, "White"},
};
static const int k_belt_count = (int)(sizeof k_belts / sizeof k_belts[0]);

static int belt_row(int qi)
{
    if (qi < 0)
        qi = 0;
    for (int r = 0; r < k_belt_count; r++)
        if (qi >= k_belts[r].min_qi)
            return r;
    return k_belt_count - 1;
}

const char *belt_name_for_qi(int qi) { return k_belts[belt_row(qi)].name; }

int qi_to_next_belt(int qi)
{
    const int r = belt_row(qi);
    if (r == 0)
        return 0;
    return k_belts[r - 1].min_qi - (qi < 0 ? 0 : qi);
}

const char *next_belt_name(int qi)
{
    const int r = belt_row(qi);
    return k_belts[r == 0 ? 0 : r - 1].name;
}
