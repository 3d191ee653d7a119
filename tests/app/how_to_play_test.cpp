// The README's "How to play" keys are the key table's, one for one, and
// every key the game takes itself does something when pressed in a match.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/base/file_list.h"
#include "app/base/temp_names.h"
#include "app/camera.h"
#include "app/key_bindings.h"
#include "app/key_help.h"
#include "app/program.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/protocol/replay_file.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/chat_view.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_state.h"
#include "gui/services/scroll_list.h"
#include "support/test_support.h"
#include "program_dir.h"

namespace {

// The keys of the README's key table: the first cell of each row after the
// "| key |" header, up to the next blank line.
std::vector<std::string> readme_keys()
{
    const std::string text = kxtest::read_file(std::string(KX_SOURCE_DIR) + "/README.md");
    std::vector<std::string> keys;
    const size_t section = text.find("## How to play");
    size_t pos = section == std::string::npos ? std::string::npos : text.find("| key |", section);
    if (pos == std::string::npos)
        return keys;
    pos = text.find('\n', text.find('\n', pos) + 1) + 1;   // past the header and its rule
    while (pos < text.size() && text.compare(pos, 3, "| `") == 0) {
        const size_t end = text.find("` |", pos + 3);
        keys.push_back(text.substr(pos + 3, end - pos - 3));
        pos = text.find('\n', pos) + 1;
    }
    return keys;
}

// Where the console's captured output is written until the capture ends.
std::string echo_temp()
{
    char tmp[300];
    return temp_name_beside(tmp, sizeof tmp, "echo.txt", 1) ? tmp : "";
}

int g_screenshots;
void count_screenshot(void) { g_screenshots++; }

// Everything a key can change that a player would see.
std::vector<long> snapshot()
{
    const WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    const CameraState *cam = get_camera();
    ScrollList *list = chat_current_scroll();
    std::vector<long> s = {get_menu_mode(), camera_keys_held(), camera_drag_on(), cam->view_mode,
                           cam->keyframe_state, (long)(cam->fov * 10), w->frozen, w->frames_left, w->ghost_mode,
                           g->replay_mode, g->selected_player, chat_visible_lines(), g_screenshots,
                           list ? list_selected_index(list) : -2, (long)kxtest::read_file(echo_temp()).size(),
                           (long)std::hash<std::string>()(g->fight_name), w->frame, cam->key_count};
    for (int j = 0; j < JOINT_COUNT; j++)
        s.push_back(get_joint_state(0, j));
    s.push_back(get_player(0)->grip_wish[0]);
    s.push_back(get_player(0)->grip_wish[1]);
    return s;
}

struct ProgramDir : kxtest::ProgramFolder {
    ProgramDir() { window_hooks()->take_screenshot = count_screenshot; }
    ~ProgramDir()
    {
        console_capture_close();
        *window_hooks() = WindowHooks{};
    }
};

void play_a_turn()
{
    commit_turn(0);
    for (int i = 0; i < 100 && game_is_running(); i++)
        on_tick(0);
}

// A match waiting for its first turn, fighter 0's right wrist selected, two
// replays in the folder, a chat long enough to scroll, the console echoes
// kept in echo.txt (written beside it, under its temporary name, until the
// capture ends).
void fresh_match()
{
    key_bindings_reset();
    menu_set_state(0);
    reset_game();
    play_a_turn();
    set_fight_name("a");
    write_replay("replay/a.rpl", 0);
    set_fight_name("b");
    write_replay("replay/b.rpl", 0);
    scan_replay_dir();
    reset_game();
    for (int i = 0; i < 30; i++)
        console_echo("line", 4);
    get_game_globals()->selected_player = 0;
    set_selected_joint(R_WRIST);
    console_capture_close();
    console_capture_open("echo.txt");
}

} // namespace

TEST(HowToPlay, TheReadmeNamesEveryKeyOfTheKeyTableOnce)
{
    const std::vector<std::string> keys = readme_keys();
    ASSERT_FALSE(keys.empty());
    std::set<std::string> seen;
    for (const std::string &k : keys) {
        EXPECT_NE(find_key_help(k.c_str()), nullptr) << "README names a key the game does not bind: " << k;
        EXPECT_TRUE(seen.insert(k).second) << "named twice: " << k;
    }
    for (const KeyHelpRow *r = key_help_rows; r->name; r++)
        EXPECT_EQ(seen.count(r->name), 1u) << "the README does not name " << r->name;
}

TEST(HowToPlay, EveryKeyTheGameTakesDoesSomething)
{
    ProgramDir d;
    // Keys whose effect needs another start than a waiting match.
    const std::map<std::string, std::function<void()>> before = {
        {"Escape", [] { menu_set_state(MENU_CHAT_INPUT); }},
        {"E", [] { start_playback(0); }},
        {"P", [] { commit_turn(0); on_tick(0); }},
        {"Ctrl+N", [] { play_a_turn(); }},
        {"1", [] { on_key(KEY_2, 0, 0, 1); on_key(KEY_2, 0, 0, 0); }},
        {"Page Up", [] {
             // The chat scrolls by its drawn rows: lay some out first.
             for (int i = 0; i < 40; i++)
                 console_echo("a line of the chat", MSG_INGAME);
             chat_view_update([](int, uint16_t) { return 8; });
             if (ScrollList *l = chat_current_scroll())
                 list_select_last(l);
         }},
    };
    for (const KeyHelpRow *r = key_help_rows; r->name; r++) {
        if (r->window)
            continue;
        SCOPED_TRACE(r->name);
        fresh_match();
        const auto setup = before.find(r->name);
        if (setup != before.end())
            setup->second();
        const std::vector<long> at_start = snapshot();
        on_key(r->sym, 0, r->mods, 1);
        const std::vector<long> held = snapshot();
        on_key(r->sym, 0, r->mods, 0);
        EXPECT_TRUE(held != at_start || snapshot() != at_start);
    }
}

namespace {

// A match waiting for its first turn with fighter 0's right wrist selected,
// the camera as at start and the console echoes kept.
void waiting_match()
{
    key_bindings_reset();
    menu_set_state(0);
    camera_defaults();
    reset_game();
    get_game_globals()->selected_player = 0;
    set_selected_joint(R_WRIST);
    chat_set_visible_lines(5);
    console_capture_close();
    console_capture_open("echo.txt");
}

// Keys that the row of another key names in its text.
const std::map<int, const char *> k_named_with = {
    {KEY_KP_ENTER, "Return"}, {KEY_PAGEDOWN, "Page Up"}, {KEY_HOME, "Page Up"}, {KEY_END, "Page Up"},
    {KEY_RALT, "Alt"}, {KEY_RMETA, "Alt"}, {KEY_LMETA, "Alt"},
};

} // namespace

// What a key's press and release change in a waiting match.
std::vector<long> change_of_key(int sym, int mods)
{
    waiting_match();
    std::vector<long> s = snapshot();
    on_key(sym, 0, mods, 1);
    on_key(sym, 0, mods, 0);
    const std::vector<long> after = snapshot();
    for (size_t k = 0; k < s.size(); k++)
        s[k] = after[k] - s[k];
    return s;
}

// Every key that does something in a waiting match, alone or with Ctrl, has
// its row: its own, the row of the same key without Ctrl when Ctrl changes
// nothing, or the row whose text names it. The camera keys held (W, A, S,
// D, Q, E, the arrows and the keypad) are the camera rows'.
TEST(HowToPlay, TheKeyTableNamesEveryKeyThatActs)
{
    ProgramDir d;
    for (int sym = 8; sym <= 322; sym++) {
        for (int mods : {0, (int)MOD_LCTRL}) {
            waiting_match();
            const std::vector<long> at_start = snapshot();
            on_key(sym, 0, mods, 1);
            const int camera = camera_keys_held();
            const std::vector<long> held = snapshot();
            on_key(sym, 0, mods, 0);
            if (held == at_start && snapshot() == at_start)
                continue;
            if (camera) {
                EXPECT_TRUE(find_key_help("W") && find_key_help("A") && find_key_help("Q"));
                continue;
            }
            const KeyHelpRow *own = nullptr, *plain = nullptr;
            for (const KeyHelpRow *r = key_help_rows; r->name; r++) {
                if (r->sym == sym && r->mods == mods)
                    own = r;
                if (r->sym == sym && r->mods == 0)
                    plain = r;
            }
            const auto named = k_named_with.find(sym);
            const bool as_plain = mods && plain && change_of_key(sym, mods) == change_of_key(sym, 0);
            EXPECT_TRUE(own || as_plain || (named != k_named_with.end() && find_key_help(named->second)))
                << "key " << sym << (mods ? " with Ctrl" : "") << " acts and has no row";
        }
    }
}
