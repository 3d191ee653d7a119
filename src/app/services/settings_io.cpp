#include "app/services/settings_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/command_line.h"
#include "app/services/config_file.h"
#include "app/base/download_queue.h"
#include "app/services/game_rule_rows.h"
#include "app/services/login_store.h"
#include "app/base/options.h"
#include "app/services/settings.h"
#include "app/base/text.h"
#include "app/base/user_strings.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/turn_cycle.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "gui/services/menu_state.h"

// Remembered rules the game cannot play with: a match or a turn of no
// frames, or longer than the game plays. Such a value is refused with a
// message and the rule keeps its default, so that it is not written back
// either.
struct RememberedBound {
    int rule;
    int32_t min, max;
};
static const RememberedBound k_remembered_bounds[] = {
    {RULE_MATCHFRAMES, 1, MATCH_FRAMES_MAX},
    {RULE_TURNFRAMES, 1, TURN_FRAMES_MAX},
};

// True when text is a comma-separated list of whole numbers in min..max.
static bool numbers_within(const char *text, int32_t min, int32_t max)
{
    const char *p = text;
    for (;;) {
        char *end = nullptr;
        errno = 0;
        const long v = strtol(p, &end, 10);
        if (end == p || errno == ERANGE || v < min || v > max)
            return false;
        p = end;
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p == '\0')
            return true;
        if (*p++ != ',')
            return false;
    }
}

static bool remembered_value_ok(int rule, const char *key, const char *value)
{
    for (const RememberedBound &b : k_remembered_bounds) {
        if (b.rule != rule || numbers_within(value, b.min, b.max))
            continue;
        char shown[CONFIG_VALUE_SIZE * 4];
        fprintf(stderr, "default.cfg: %s \"%s\" refused (whole numbers from %d to %d), the default kept\n", key,
                escape_text(shown, (int)sizeof shown, value), (int)b.min, (int)b.max);
        return false;
    }
    return true;
}

void options_load(void)
{
    fill_default_rules(0, get_next_match_rules());
    fill_default_rules(0, get_mod_rules());

    const SettingRow *settings = settings_table();
    char value[CONFIG_VALUE_SIZE];
    for (int i = 0; settings[i].key; i++) {
        if (config_get(settings[i].key, value, sizeof value) == 0)
            option_set_text(settings[i].index, value);
    }
    graphics_reload_reset();

    if (option_get(OPT_REMEMBERRULES) == 1) {
        for (const GameRuleRow *row = game_rule_rows(); row->rule >= 0; row++) {
            const RuleRow *rule = &rule_table()[row->rule];
            rules_set_config_lock(rule->index, 1);
            if (config_get(rule->key, value, sizeof value) == 0 && remembered_value_ok(row->rule, rule->key, value))
                rule_set_text((int)(row - game_rule_rows()), value);
        }
    }

    const CommandLineNames *names = get_command_line_names();
    if (names->mod[0])
        rules_set_mod_name(get_next_match_rules(), names->mod);
}

void options_save(void)
{
    const SettingRow *settings = settings_table();
    char text[256];
    for (int i = 0; settings[i].key; i++) {
        option_get_text(settings[i].index, text, sizeof text);
        config_set(settings[i].key, text);
    }
    if (option_get(OPT_REMEMBERRULES) == 1) {
        for (const GameRuleRow *row = game_rule_rows(); row->rule >= 0; row++)
            config_set(rule_table()[row->rule].key, rules_to_text(row->rule, get_next_match_rules()));
    }
    config_save();
}

static ProfileHooks g_hooks;

void profile_set_hooks(const ProfileHooks *hooks)
{
    if (hooks)
        g_hooks = *hooks;
    else
        memset(&g_hooks, 0, sizeof g_hooks);
}

void profile_start(void)
{
    if (g_hooks.reset_network_rules)
        g_hooks.reset_network_rules();
    WorldState *w = get_game_state();
    w->end_frame = 0;
    w->deadline = 0;
    w->frames_recorded = 0;
    w->play_frame = 0;
    w->gameover_timelimit = 4;
    w->net_decision_frame = 0;
    set_mod_state_word(1);

    char nick[32], password[32];
    const int logged_in = login_load(nick, sizeof nick, password, sizeof password) == 0;
    if (logged_in) {
        set_nick(nick);
        set_password(password);
        if (g_hooks.load_user_equipment)
            g_hooks.load_user_equipment();
        if (g_hooks.apply_player_textures)
            g_hooks.apply_player_textures();
        download_enqueue(0, get_nick_escaped());
    }

    exec_file("profile.kxs");
    chat_clear_all();

    if (get_command_line_names()->replay[0])
        menu_set_state(MENU_STATE_NONE);
    else if (logged_in)
        menu_set_state(MENU_STATE_LOGGED_IN);
    else
        menu_set_state_arg(MENU_STATE_WELCOME, MENU_STATE_LOGGED_IN);

    if (g_hooks.set_version_text)
        g_hooks.set_version_text("3.9-alpha2");
}
