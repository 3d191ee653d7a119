#include "render/screen_points.h"

static ScreenPoint g_labels[SCREEN_LABEL_FIGHTERS];
static ScreenPoint g_altimeter;

const ScreenPoint *label_point(int fighter)
{
    return fighter >= 0 && fighter < SCREEN_LABEL_FIGHTERS ? &g_labels[fighter] : nullptr;
}

void set_label_point(int fighter, float x, float y, int valid)
{
    if (fighter >= 0 && fighter < SCREEN_LABEL_FIGHTERS)
        g_labels[fighter] = ScreenPoint{x, y, valid};
}

const ScreenPoint *altimeter_point(void) { return &g_altimeter; }

void set_altimeter_point(float x, float y, int valid) { g_altimeter = ScreenPoint{x, y, valid}; }
