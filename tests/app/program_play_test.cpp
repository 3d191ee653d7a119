#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "app/base/command_line.h"
#include "app/base/file_list.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "app/services/sound.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/protocol/replay_file.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "support/test_support.h"
#include "program_dir.h"

// The game side of the loop, headless: the program's objects made and freed
// in their order, replays read from a real replay folder, keys through the
// real turn cycle.
namespace {

struct ProgramDir : kxtest::ProgramFolder {
    ProgramDir()
    {
        key_bindings_reset();
        menu_set_state(0);
    }
};

// A short single-play match under the fight name, saved as replay/<file>.
void save_match(const char *fight, const char *file)
{
    reset_game();
    set_fight_name(fight);
    commit_turn(0);
    for (int i = 0; i < 40 && game_is_running(); i++)
        on_tick(0);
    ASSERT_EQ(write_replay((std::string("replay/") + file).c_str(), 0), 0);
}

std::string fight_name() { return get_game_globals()->fight_name; }

void key(int sym, int mods = 0)
{
    on_key(sym, 0, mods, 1);
    on_key(sym, 0, mods, 0);
}

} // namespace

TEST(ProgramPlay, ReplayFolderBrowsesForwardAndBackWithWrap)
{
    ProgramDir d;
    save_match("first", "a.rpl");
    save_match("second", "b.rpl");
    save_match("third", "c.rpl");
    kxtest::write_file("replay/d.rpl", "no replay in here\n");
    scan_replay_dir();
    ASSERT_EQ(open_replay_index(0), 0);
    EXPECT_EQ(fight_name(), "first");
    const char *forward[] = {"second", "third"};
    for (const char *name : forward) {
        replay_next();
        EXPECT_EQ(fight_name(), name);
    }
    replay_next();     // d.rpl holds no frames: refused, the last one stays
    EXPECT_EQ(replay_index(), 3);
    EXPECT_EQ(fight_name(), "third");
    replay_next();     // wraps to the first
    EXPECT_EQ(fight_name(), "first");
    replay_prev();     // back over the unreadable one...
    replay_prev();     // ...to the third
    EXPECT_EQ(fight_name(), "third");
    // An index the list no longer holds is refused, not read.
    EXPECT_EQ(open_replay_index(4), 1);
    EXPECT_EQ(open_replay("../a.rpl"), 1);
}

TEST(ProgramPlay, CommandLineReplayPlaysOrAFreshGameStarts)
{
    ProgramDir d;
    save_match("named", "x.rpl");
    struct Row {
        const char *arg;
        int replay_mode;
    } rows[] = {{"replay/x.rpl", 1}, {"replay/missing.rpl", 0}};
    for (const Row &r : rows) {
        set_fight_name("");
        const char *argv[] = {"kaelmund", r.arg};
        read_command_line(2, const_cast<char **>(argv));
        sound_disable();
        testing::internal::CaptureStderr();
        on_loop_init();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(get_game_globals()->replay_mode, r.replay_mode) << r.arg;
        EXPECT_EQ(err.find("Unable to load replay") != std::string::npos, r.replay_mode == 0) << err;
        EXPECT_TRUE(sound_is_on()) << r.arg;
    }
    // No replay folder at all: a fresh game, and sound is still turned on.
    read_command_line(1, nullptr);
    std::filesystem::remove_all("replay");
    sound_disable();
    on_loop_init();
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    EXPECT_TRUE(sound_is_on());
}

TEST(ProgramPlay, KeysDriveTheTurnAndLetTheCameraGo)
{
    ProgramDir d;
    reset_game();
    EXPECT_FLOAT_EQ(get_camera()->yaw, 45.0f);     // the match start framed the fighters
    select_fighter(0);
    set_selected_joint(R_KNEE);
    const int before = get_joint_state(0, R_KNEE);
    key(KEY_X);
    EXPECT_NE(get_joint_state(0, R_KNEE), before);
    ASSERT_FALSE(game_is_running());
    key(KEY_SPACE);
    EXPECT_TRUE(game_is_running());

    // W held, Shift pressed: the plain bit becomes the Shift bit; a menu
    // opened meanwhile does not keep the key held after its release.
    on_key(KEY_W, 0, 0, 1);
    EXPECT_EQ(camera_keys_held(), CAMKEY_W);
    on_key(KEY_LSHIFT, 0, MOD_LSHIFT, 1);
    EXPECT_EQ(camera_keys_held(), CAMKEY_W << CAMKEY_SHIFT_SHIFT);
    menu_set_state(6);
    on_key(KEY_W, 0, MOD_LSHIFT, 0);
    EXPECT_EQ(camera_keys_held(), 0);
}

TEST(ProgramPlay, CameraKeyframesKeepTheirRange)
{
    ProgramDir d;
    const float look[3] = {0, 0, 1}, eye[3] = {4, 0, 2}, eye2[3] = {5, 1, 2};
    testing::internal::CaptureStderr();
    save_camera_keyframe(2049, look, eye);
    save_camera_keyframe(-1, look, eye);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("invalid keyframe 2049"), std::string::npos);
    save_camera_keyframe(2048, look, eye);
    save_camera_keyframe(10, look, eye);
    save_camera_keyframe(10, look, eye2);
    EXPECT_EQ(get_camera_keyframe_count(), 2);
    save_camera_keyframe(0, look, eye);
    build_camera_path();
    float e[3], l[3];
    ASSERT_EQ(get_camera_keyframe(10, e, l), 0);
    EXPECT_FLOAT_EQ(e[0], 5.0f);
    EXPECT_EQ(get_camera_keyframe(2048, e, l), 1);
    // Turning by A for a long time keeps the heading within 0..360.
    for (int i = 0; i < 2000; i++)
        move_camera_keys_default(CAMKEY_A, 1.0f);
    EXPECT_GE(get_camera()->yaw, 0.0f);
    EXPECT_LT(get_camera()->yaw, 360.0f);
}

TEST(ProgramPlay, KeyframesRecordOnRewindAndPlayOnTheNext)
{
    ProgramDir d;
    save_match("played", "k.rpl");
    key(KEY_I);                 // armed: recording starts at the next rewind
    key(KEY_R);
    EXPECT_EQ(get_camera()->keyframe_state, KEYFRAMES_RECORDING);
    for (int i = 0; i < 25; i++)
        on_tick(0);
    EXPECT_GE(get_camera_keyframe_count(), 2);     // frames 10 and 20
    key(KEY_R);
    EXPECT_EQ(get_camera()->keyframe_state, KEYFRAMES_PLAYING);
    float e[3], l[3];
    EXPECT_EQ(get_camera_keyframe(15, e, l), 0);
}

namespace {
int g_stain_clears;
void count_stain_clear(void) { g_stain_clears++; }
} // namespace

// R shows the match again from its start on a floor without stains.
TEST(ProgramPlay, RewindClearsTheFloorStains)
{
    ProgramDir d;
    reset_game();
    void (*saved)(void) = game_callbacks()->floor_stains_clear;
    game_callbacks()->floor_stains_clear = count_stain_clear;
    g_stain_clears = 0;
    key(KEY_R);
    game_callbacks()->floor_stains_clear = saved;
    EXPECT_EQ(g_stain_clears, 1);
}

TEST(ProgramPlay, MenuKeysOpenTheirStatesAndTheEditorKeepsItsKeys)
{
    ProgramDir d;
    menu_rows_init();
    reset_game();
    struct Row {
        int sym, mods, menu;
    };
    const Row rows[] = {
        {KEY_F, 0, 6}, {KEY_F, MOD_LCTRL, 6}, {KEY_T, 0, 27}, {KEY_SLASH, 0, 27},
        {KEY_M, MOD_RCTRL, 3}, {KEY_H, MOD_LCTRL, 4}, {KEY_J, MOD_LCTRL, 5}, {KEY_G, MOD_LCTRL, 13},
        {KEY_L, MOD_LCTRL, MENU_FLAME_FORGE},
    };
    char text[8];
    chat_input_take_prefill(text, (int)sizeof text);   // none left by an earlier test
    for (const Row &r : rows) {
        menu_set_state(0);
        key(r.sym, r.mods);
        EXPECT_EQ(get_menu_mode(), r.menu) << r.sym << " " << r.mods;
        // Only '/' leaves text waiting for the chat input line.
        const int waiting = chat_input_take_prefill(text, (int)sizeof text) == 0;
        EXPECT_EQ(waiting, r.sym == KEY_SLASH) << r.sym;
        if (waiting) {
            EXPECT_STREQ(text, "/");
        }
    }
    // Typing in the editor's text field reaches no game command; Escape
    // there goes back to the game.
    set_ui_mode(1);
    key(KEY_M, MOD_LCTRL);
    EXPECT_EQ(get_menu_mode(), MENU_FLAME_FORGE);
    menu_back();
    EXPECT_EQ(get_menu_mode(), 0);
    EXPECT_EQ(get_ui_mode(), 0);

    // Shift+K aims the free camera at its point again, where it stands.
    CameraState *cam = get_camera();
    set_view_mode(VIEW_FREE);
    const float eye[3] = {4, 0, 2}, look[3] = {0, 0, 2};
    move_camera_to(eye);
    aim_camera_at(look);
    cam->yaw = 10;
    key(KEY_K, MOD_LSHIFT);
    EXPECT_FLOAT_EQ(cam->yaw, 270.0f);
    EXPECT_FLOAT_EQ(cam->eye[0], 4.0f);
}

TEST(ProgramPlay, MainMenuStopsTheWorldUntilItCloses)
{
    ProgramDir d;
    menu_rows_init();
    reset_game();
    commit_turn(0);
    on_tick(0);
    const int frame = get_game_state()->frame;
    menu_set_state(MENU_MAIN);
    for (int i = 0; i < 5; i++)
        on_tick(0);
    EXPECT_EQ(get_game_state()->frame, frame);
    close_to_menu(MENU_MAIN);
    EXPECT_EQ(get_menu_mode(), 0);
    EXPECT_TRUE(hud_shown());
    on_tick(0);
    EXPECT_GT(get_game_state()->frame, frame);
}

TEST(ProgramPlay, ReplayWindowClosesAlsoForARefusedName)
{
    ProgramDir d;
    static int hidden;
    hidden = 0;
    window_hooks()->hide_display = [](int n) { hidden = n; };
    EXPECT_NE(open_replay("../outside.rpl"), 0);
    EXPECT_EQ(hidden, 16);
    window_hooks()->hide_display = nullptr;
}

// Space in the replay that follows a match's end starts a new match from
// the same world as the first one: every body of both fighters where and
// as it stood then, still.
TEST(ProgramPlay, NewMatchFromTheEndReplayStartsFromTheFirstMatchsWorld)
{
    ProgramDir d;
    auto bodies = [] {
        std::vector<double> out;
        for (int i = 0; i < get_game_state()->players; i++)
            for (int b = 0; b < BODY_COUNT; b++) {
                const dBodyID body = get_player(i)->bodies[b];
                const dReal *p = dBodyGetPosition(body), *q = dBodyGetQuaternion(body);
                const dReal *v = dBodyGetLinearVel(body);
                out.insert(out.end(), p, p + 3);
                out.insert(out.end(), q, q + 4);
                out.insert(out.end(), v, v + 3);
            }
        return out;
    };
    reset_game();
    const std::vector<double> first = bodies();
    WorldState *w = get_game_state();
    for (int turn = 0; turn < 60 && !w->game_over; turn++) {
        key(KEY_SPACE);
        for (int i = 0; i < 40 && game_is_running(); i++)
            on_tick(0);
    }
    ASSERT_TRUE(w->game_over);
    for (int i = 0; i < 2000 && get_game_globals()->replay_mode == 0; i++)
        on_tick(0);
    ASSERT_NE(get_game_globals()->replay_mode, 0);   // the replay plays by itself
    for (int i = 0; i < 100; i++)
        on_tick(0);
    ASSERT_GT(w->frame, 50);
    key(KEY_SPACE);
    on_tick(0);
    EXPECT_EQ(get_game_globals()->replay_mode, 0);
    EXPECT_EQ(w->frame, 0);
    const std::vector<double> now = bodies();
    ASSERT_EQ(now.size(), first.size());
    for (size_t k = 0; k < now.size(); k++)
        EXPECT_NEAR(now[k], first[k], 1e-9) << "value " << k;
}
