// Event hooks: one script callback per hook name, set by the script
// function set_hook(name, fn). A hook that no script set does nothing; a
// failing callback is reported on standard error and the game goes on.
#pragma once
#include "game/game_callbacks.h"

struct ScriptContext;
struct lua_State;


struct HookName {
    HookId id;
    const char *name;
};

// One row per hook, in HookId order.
extern const HookName hook_names[HOOK_COUNT];

// The hook of that name, -1 when none.
int hook_find(const char *name);

// Hooks of the match and the menus; a null context does nothing.
// A game event's hook (HOOK_ENTER_FRAME .. HOOK_RESUME) on the one script
// context; arg is the result kind of HOOK_END_GAME.
void fire_game_hook(int hook, int arg);
void fire_hook_enter_frame(ScriptContext *ctx);
void fire_hook_end_game(ScriptContext *ctx, int result_kind);
void fire_hook_enter_freeze(ScriptContext *ctx);
void fire_hook_exit_freeze(ScriptContext *ctx);
void fire_hook_new_game(ScriptContext *ctx);
void fire_hook_new_mp_game(ScriptContext *ctx);
void fire_hook_leave_game(ScriptContext *ctx);
void fire_hook_play(ScriptContext *ctx);
void fire_hook_pause(ScriptContext *ctx);
void fire_hook_resume(ScriptContext *ctx);
void fire_hook_draw3d(ScriptContext *ctx);
void fire_hook_draw2d(ScriptContext *ctx);

// Input hooks on the live context: the callback's integer result (a true
// boolean counts 1), 0 when no callback is set or it failed. Non-zero means
// the script handled the event.
int fire_hook_key(int symbol, int down);
int fire_hook_mouse_button(int down, int button, int x, int y);
int fire_hook_mouse_move(int x, int y);
void fire_hook_player_select(int fighter);
void fire_hook_joint_select(int fighter, int joint);
void fire_hook_body_select(int fighter, int body);
// Non-zero when the script placed the camera itself.
int fire_hook_camera(void);

// The console hook: called with (text, message type, tab); non-zero (or
// true) vetoes the line.
int fire_hook_console(ScriptContext *ctx, const char *text, int type, int tab);

// Calls the script's global announce_callback(number, text) in protected
// mode. Returns 0, or 1 when it is not a function or fails (a script error).
int script_call_announce(ScriptContext *ctx, int number, const char *text);

// The chat log's console filter: runs the console hook of the live context,
// only on the context's own thread (lines from other threads pass).
int script_console_filter(int tab, const char *text, int type);

// Script function set_hook(name, fn): fn replaces the callback of that hook;
// nil removes it. An unknown name or a non-function is a script error.
int script_set_hook(lua_State *L);
