// A fighter's body and joint rows built from the built-in templates with
// three proportion factors.
#pragma once
#include "game/body_defs.h"

// Builds 21 bodies and 20 joints from the built-in templates scaled by the
// proportion factors a, b, c.
void scale_body_template(BodyDef *bodies, JointDef *joints, float a, float b, float c);
