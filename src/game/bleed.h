// One frame of bleeding of a dismembered joint.
#pragma once

void bleed(int i, int j);
