// The program's controls headless, with the real script context: P on a
// live turn, the playback's camera path, the replay opening, the entry
// points scripts and menus reach, and the settings rows' toggles.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <string>
#include <sys/stat.h>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/program.h"
#include "app/services/config_file.h"
#include "app/services/settings.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/protocol/replay_file.h"
#include "game/turn_alerts.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "net/records/bout_list.h"
#include "script/script_context.h"
#include "support/test_support.h"
#include "program_dir.h"

namespace {

struct ProgramDir : kxtest::ProgramFolder {
    ProgramDir() : ProgramFolder({"replay", "data", "data/script"})
    {
        key_bindings_reset();
        menu_set_state(0);
        reset_game();
    }
};

void key(int sym, int mods = 0)
{
    on_key(sym, 0, mods, 1);
    on_key(sym, 0, mods, 0);
}

// Runs Lua in the program's script context; "" or the error.
std::string lua(const std::string &code)
{
    lua_State *L = get_script_ctx()->L;
    if (luaL_dostring(L, code.c_str()) == 0)
        return "";
    std::string err = lua_tostring(L, -1);
    lua_pop(L, 1);
    return err;
}

double lua_number(const char *name)
{
    lua_State *L = get_script_ctx()->L;
    lua_getglobal(L, name);
    const double v = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return v;
}

} // namespace

// P stops a live turn where it is and goes on with it; the script hears
// pause and resume. Between turns there is nothing to pause.
TEST(ProgramControls, PPausesAndResumesALiveTurn)
{
    ProgramDir d;
    ASSERT_EQ(lua("p, r = 0, 0 set_hook('pause', function() p = p + 1 end) "
                  "set_hook('resume', function() r = r + 1 end)"), "");
    WorldState *w = get_game_state();
    key(KEY_P);
    EXPECT_EQ(lua_number("p"), 0);
    key(KEY_SPACE);
    on_tick(0);
    ASSERT_TRUE(game_is_running());
    const int frame = w->frame, left = w->frames_left;
    key(KEY_P);
    EXPECT_EQ(lua_number("p"), 1);
    EXPECT_FALSE(game_is_running());
    for (int i = 0; i < 5; i++)
        on_tick(0);
    EXPECT_EQ(w->frame, frame);
    EXPECT_EQ(w->frames_left, left);
    key(KEY_SPACE);       // no new turn over the paused one
    EXPECT_EQ(w->frames_left, left);
    key(KEY_P);
    EXPECT_EQ(lua_number("r"), 1);
    EXPECT_TRUE(game_is_running());
    for (int i = 0; i < 200 && game_is_running(); i++)
        on_tick(0);
    EXPECT_GT(w->frame, frame);
    EXPECT_EQ(w->frames_left, 0);
}

// The match shown again from its first frame takes the camera keyframes'
// next state and shows it, from the game's own call.
TEST(ProgramControls, PlaybackMovesTheKeyframeStateOn)
{
    ProgramDir d;
    CameraState *cam = get_camera();
    key(KEY_I);                              // keyframes cleared, armed
    ASSERT_EQ(cam->keyframe_state, KEYFRAMES_ARMED);
    console_capture_open("echo.txt");
    start_playback(0);
    console_capture_close();
    EXPECT_EQ(cam->keyframe_state, KEYFRAMES_RECORDING);
    EXPECT_NE(kxtest::read_file("echo.txt").find(camera_mode_text()), std::string::npos);
    save_camera_keyframe(0, cam->look, cam->eye);
    save_camera_keyframe(20, cam->look, cam->eye);
    start_playback(0);
    EXPECT_EQ(cam->keyframe_state, KEYFRAMES_PLAYING);
}

TEST(ProgramControls, OpeningAReplayForgetsTheSpectators)
{
    ProgramDir d;
    commit_turn(0);
    for (int i = 0; i < 40 && game_is_running(); i++)
        on_tick(0);
    ASSERT_EQ(write_replay("replay/a.rpl", 0), 0);
    set_spectator_count(5);
    ASSERT_EQ(open_replay("a.rpl"), 0);
    EXPECT_EQ(get_spectator_count(), 0);
    set_spectator_count(3);
    EXPECT_EQ(open_replay("missing.rpl"), 1);
    EXPECT_EQ(get_spectator_count(), 0);
}

// What scripts reach: options by name, the camera keys off and on, a
// fighter no click selects, and the end of a tutorial holding Space back.
TEST(ProgramControls, ScriptsReachTheOptionsAndTheBindings)
{
    ProgramDir d;
    ASSERT_EQ(lua("a = set_option('altimeter', 1) b = set_option('nosuch', 1) c = set_option('shaders', 1)"), "");
    EXPECT_EQ(option_get(OPT_ALTIMETER), 1);
    EXPECT_EQ(lua_number("a"), 0);
    EXPECT_EQ(lua_number("b"), 1);
    EXPECT_EQ(lua_number("c"), 2);

    ASSERT_EQ(lua("disable_camera_movement()"), "");
    on_key(KEY_W, 0, 0, 1);
    EXPECT_EQ(camera_keys_held(), 0);
    on_key(KEY_W, 0, 0, 0);
    ASSERT_EQ(lua("enable_camera_movement()"), "");
    on_key(KEY_W, 0, 0, 1);
    EXPECT_NE(camera_keys_held(), 0);
    on_key(KEY_W, 0, 0, 0);

    // Space on a playing replay starts a fresh game, not before the
    // tutorial's deadline.
    get_game_globals()->replay_mode = 1;
    ASSERT_EQ(lua("end_tutorial()"), "");
    key(KEY_SPACE);
    EXPECT_EQ(get_game_globals()->replay_mode, 1);
    EXPECT_EQ(lua("disable_player_select('x')").find("number expected") != std::string::npos, true);
}

// The script's key_up hook hears a release by the menu state it leaves
// behind: Escape that closes a menu is heard, Return that opens the chat
// input is not.
TEST(ProgramControls, KeyUpHookHearsTheKeyThatClosedAMenu)
{
    ProgramDir d;
    ASSERT_EQ(lua("ups = '' set_hook('key_up', function(k) ups = ups .. k .. ';' end)"), "");
    menu_set_state(MENU_SETUP);
    key(KEY_ESCAPE);
    EXPECT_EQ(get_menu_mode(), 0);
    key(KEY_RETURN);
    EXPECT_EQ(get_menu_mode(), MENU_CHAT_INPUT);
    key(KEY_ESCAPE);
    EXPECT_EQ(get_menu_mode(), 0);
    // A letter typed into the chat input comes up after the line has gone:
    // the script hears it, the game takes no command from it.
    menu_set_state(MENU_CHAT_INPUT);
    on_key(KEY_R, 0, 0, 1);
    menu_set_state(0);
    on_key(KEY_R, 0, 0, 0);
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    key(KEY_Z);
    lua_State *L = get_script_ctx()->L;
    lua_getglobal(L, "ups");
    EXPECT_STREQ(lua_tostring(L, -1), "27;27;114;122;");
    lua_pop(L, 1);
}

// startup.lua finds the bindings' functions: it turns the camera keys off
// before the player touches a key.
TEST(ProgramControls, StartupScriptReachesTheBindings)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    mkdir("data/script", 0755);
    kxtest::write_file("data/script/startup.lua",
                       "seen = type(enable_camera_movement) .. type(disable_camera_movement) .. "
                       "type(disable_player_select) .. type(end_tutorial)\n"
                       "disable_camera_movement()\n");
    key_bindings_reset();
    const std::string err = kxtest::stderr_of([] { ASSERT_EQ(program_create_objects(), 0); });
    EXPECT_EQ(err.find("Script error"), std::string::npos) << err;
    lua_State *L = get_script_ctx()->L;
    lua_getglobal(L, "seen");
    EXPECT_STREQ(lua_tostring(L, -1), "functionfunctionfunctionfunction");
    lua_pop(L, 1);
    menu_set_state(0);
    on_key(KEY_W, 0, 0, 1);
    EXPECT_EQ(camera_keys_held(), 0);
    on_key(KEY_W, 0, 0, 0);
    program_destroy_objects();
}

TEST(ProgramControls, MenuModeAndChatEntryPoints)
{
    ProgramDir d;
    remember_mode(6);
    menu_set_state(0);
    ui_flag_clear();
    restore_previous_mode();
    EXPECT_EQ(get_menu_mode(), 6);
    EXPECT_EQ(ui_flag(), 1);
    menu_set_state(0);
    EXPECT_EQ(chat_scroll_keys(KEY_HOME), 1);
    EXPECT_EQ(chat_scroll_keys(KEY_A), 0);
    EXPECT_EQ(input_line_keys(KEY_HOME), 0);    // the chat input is closed
    menu_set_state(MENU_CHAT_INPUT);
    EXPECT_EQ(input_line_keys(KEY_END), 1);
    menu_set_state(0);
    option_set(OPT_MOUSEBUTTONS, 2);
    options_save_now();
    EXPECT_NE(kxtest::read_file("default.cfg").find("mousebuttons \"2\""), std::string::npos);
}

// The settings rows flip their options through the toggles: a change asks
// for the graphics once; the same value, or another spelling of it, not.
TEST(ProgramControls, SettingsRowsUseTheToggles)
{
    ProgramDir d;
    graphics_reload_reset();
    option_set(OPT_REFLECTION, 0);
    option_set_text(9, "1");
    EXPECT_EQ(option_get(OPT_REFLECTION), 1);
    EXPECT_EQ(graphics_reload_count(), 1);
    option_set(OPT_REFLECTION, 2);
    option_set_text(9, "1");
    EXPECT_EQ(option_get(OPT_REFLECTION), 1);
    EXPECT_EQ(graphics_reload_count(), 1);
    option_set_text(14, "1");
    EXPECT_EQ(option_get(OPT_NORELOAD), 1);
    EXPECT_EQ(graphics_reload_count(), 1);
    option_set_text(7, "1");
    EXPECT_EQ(shader_path_on(), 1);
    EXPECT_EQ(option_get(OPT_SHADERS), 1);
    option_set_text(7, "0");
    EXPECT_EQ(shader_path_on(), 0);
    EXPECT_EQ(option_get(OPT_SHADERS), 0);
}

namespace {
int g_alerts, g_alert_clears;
void count_alert(void) { g_alerts++; }
void count_alert_clear(void) { g_alert_clears++; }
} // namespace

// The turn alert flashes with three bouts present while the option is on.
TEST(ProgramControls, TurnAlertFollowsItsOption)
{
    ProgramDir d;
    window_hooks()->set_turn_alert = count_alert;
    window_hooks()->clear_turn_alert = count_alert_clear;
    get_game_globals()->bouts_present = 2;
    option_set(OPT_TURNALERT, 1);
    turn_alert_flash();
    EXPECT_EQ(g_alerts, 0);
    get_game_globals()->bouts_present = 3;
    turn_alert_flash();
    EXPECT_EQ(g_alerts, 1);
    clear_turn_alert_if_enabled();
    EXPECT_EQ(g_alert_clears, 1);
    option_set(OPT_TURNALERT, 0);
    turn_alert_flash();
    clear_turn_alert_if_enabled();
    EXPECT_EQ(g_alerts, 1);
    EXPECT_EQ(g_alert_clears, 1);

    // A match started with the own fighter in slot 1 raises it the same
    // way: not with the option off, nor with fewer than three bouts.
    set_turn_owner(1);
    reset_game();
    ASSERT_EQ(get_game_globals()->own_slot, 1);
    option_set(OPT_TURNALERT, 1);
    get_game_globals()->bouts_present = 2;
    reset_game();
    EXPECT_EQ(g_alerts, 1);
    *window_hooks() = WindowHooks{};
}

// The shop's backdrop leaves the game (the script hears leave_game) before
// it runs the shop's script, then plays.
TEST(ProgramControls, ShopReplayLeavesTheGameBeforeItsScript)
{
    ProgramDir d;
    kxtest::write_file("data/script/shop.lua", "order = order .. 'script;'\n");
    ASSERT_EQ(lua("order = '' set_hook('leave_game', function() order = order .. 'leave;' end) "
                  "set_hook('play', function() order = order .. 'play;' end)"), "");
    play_shop_replay("shop.lua");
    lua_State *L = get_script_ctx()->L;
    lua_getglobal(L, "order");
    EXPECT_STREQ(lua_tostring(L, -1), "leave;script;play;");
    lua_pop(L, 1);
    EXPECT_TRUE(game_is_running());
}
