// Belts by qi: the belt a player wears and how far the next one is.
#pragma once

// The belt of the first row of the belt table whose minimum qi is reached
// (a negative qi counts as 0).
const char *belt_name_for_qi(int qi);
// The qi still needed for the next belt; 0 at the top.
int qi_to_next_belt(int qi);
// The belt after the one worn at qi; the top belt at the top.
const char *next_belt_name(int qi);
