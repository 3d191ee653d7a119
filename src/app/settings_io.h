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

// What the start-up profile needs of parts built elsewhere. Every slot may
// be null; a null slot is skipped.
struct ProfileHooks {
    // Multiplayer rules to their defaults; the game state's end frame,
    // deadline, recorded and play frames to 0 and game-over limit to 4.
    void (*reset_session)(void);
    // Keeps the stored login as the player's nick and password.
    void (*store_login)(const char *nick, const char *password);
    void (*load_user_equipment)(void);
    void (*apply_player_textures)(void);
    // Runs a file of console commands.
    void (*exec_file)(const char *path);
    void (*chat_clear_all)(void);
    void (*menu_set_state)(int state);
    void (*menu_set_state_arg)(int state, int selection);
    void (*set_version_text)(const char *text);
};

void profile_set_hooks(const ProfileHooks *hooks);

enum { MENU_STATE_NONE = 0, MENU_STATE_LOGGED_IN = 15, MENU_STATE_WELCOME = 28 };

// Stored login, equipment, download of the player's files, "profile.kxs",
// empty chat, first menu state, version text.
void profile_start(void);
