// The script functions that reach the key and mouse bindings:
// enable_camera_movement(), disable_camera_movement(),
// disable_player_select(fighter) and end_tutorial(). The program has the
// script context add them before startup.lua runs.
#pragma once

struct ScriptContext;

void script_register_binding_functions(ScriptContext *ctx);
