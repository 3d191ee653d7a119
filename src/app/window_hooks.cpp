#include "app/window_hooks.h"

static WindowHooks g_hooks;

WindowHooks *window_hooks(void) { return &g_hooks; }
