// A player's customisation record as the game core reads it.
#pragma once
#include <cstdint>

struct CustomRecord {
    int32_t blood_color;   // ColorTable row of the fighter's blood, 0 default
};

// Player i's record (0..3); another index gives none.
CustomRecord *get_custom_record(int i);
