// Applying default.cfg to the options and the remembered rules when the
// main loop starts, writing them back when it ends, and the start-up
// profile.
#pragma once

// Resets the next-match and mod rules to the single-player defaults, applies
// the file's settings, and, while rememberrules is 1, locks and sets the
// remembered game rules; a mod named on the command line wins last.
void options_load(void);
// Puts the settings (and, while rememberrules is 1, the next-match rules)
// into the configuration table and writes default.cfg.
void options_save(void);

// What the start-up profile needs of parts not in the tree yet. Every slot
// may be null; a null slot is skipped.
struct ProfileHooks {
    // The multiplayer rules record to the multiplayer defaults and the
    // module-level flag that every new match clears.
    void (*reset_network_rules)(void);
    void (*load_user_equipment)(void);
    void (*apply_player_textures)(void);
    // The version text of the window caption.
    void (*set_version_text)(const char *text);
};

void profile_set_hooks(const ProfileHooks *hooks);

enum { MENU_STATE_NONE = 0, MENU_STATE_LOGGED_IN = 15, MENU_STATE_WELCOME = 28 };

// Game-state counters to their start values, stored login (nick, password,
// equipment, textures, a download request for the player's files),
// "profile.kxs" through the console, empty chat, the first menu state and
// the version text.
void profile_start(void);
