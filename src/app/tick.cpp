#include "app/tick.h"

#include <cstdio>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/command_line.h"
#include "app/base/data_dirs.h"
#include "app/base/file_list.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/services/sound.h"
#include "app/window_hooks.h"
#include "game/frame_cache.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/ghost.h"
#include "game/joint_breaks.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/game_state.h"
#include "game/match_announce.h"
#include "game/match_end.h"
#include "game/protocol/replay_file.h"
#include "net/records/bout_list.h"
#include "game/replay_buffer.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_state.h"
#include "gui/services/scroll_list.h"
#include "net/download_worker.h"
#include "net/game_connection.h"
#include "net/room_link.h"
#include "particles/limb_trails.h"
#include "script/script_context.h"
#include "script/script_games.h"

static int g_replay_index;
static uint32_t g_alert_check;
static int g_scroll_counter;
static int g_room_link_counter;
static int g_trail_lengths[TRAIL_LIMBS];

int replay_index(void) { return g_replay_index; }

// A file without a single FRAME line is no replay: nothing of it can be
// shown, so it is refused rather than played as an empty match.
static int replay_file_has_frames(const char *path)
{
    FILE *f = fopen_regular(data_path(path), "rb");
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", path);
        return 0;
    }
    char line[4096];
    int at_start = 1, found = 0;
    while (!found && fgets(line, sizeof line, f)) {
        found = at_start && strncmp(line, "FRAME ", 6) == 0;
        at_start = strchr(line, '\n') != nullptr;
    }
    fclose(f);
    return found;
}

int read_replay_checked(const char *path)
{
    // Checked before reading, so that a refused file leaves the replay
    // that plays now whole.
    if (!replay_file_has_frames(path)) {
        fprintf(stderr, "Refusing %s: no replay frames in it\n", path);
        return 1;
    }
    return read_replay_file(path);
}

static void start_replay(void)
{
    start_playback(0);
    camera_take_replay_keys();
}

void on_loop_init(void)
{
    GameGlobals *g = get_game_globals();
    const CommandLineNames *names = get_command_line_names();
    scan_replay_dir();
    if (names->replay[0]) {
        if (read_replay_checked(names->replay) == 0) {
            g->replay_mode = 1;
            start_replay();
        } else {
            fprintf(stderr, "Unable to load replay %s, starting a new game\n", names->replay);
            console_echo("Unable to load replay", MSG_INGAME);
            reset_game();
        }
    } else if (get_file_count(FILE_LIST_REPLAYS) < 0) {
        fprintf(stderr, "No replays found in replay/\n");
        net_ready_or_reset();
    } else {
        g->replay_mode = 2;
        if (open_replay_index(0) != 0)
            reset_game();
    }
    camera_fit_default(get_game_state(), 180.0f);
    sound_enable();
}

// While a list asks to scroll, one row every tenth tick.
static void list_auto_scroll(void)
{
    ScrollList *list = chat_current_scroll();
    if (!list || get_menu_mode() == 0)
        return;
    if (list->scroll_up_request && ++g_scroll_counter % 10 == 0) {
        list_step_up(list);
        if (list_selected_index(list) < 1)
            list->scroll_up_request = 0;
    }
    if (list->scroll_down_request && ++g_scroll_counter % 10 == 0) {
        list_step_down(list);
        if (list_selected_index(list) >= list->count - 1)
            list->scroll_down_request = 0;
    }
}

// The room links on every fifth tick (the first one included).
static void poll_room_links(void)
{
    RoomLink *links = program_objects()->room_links;
    if (links && g_room_link_counter % 5 == 0)
        for (int i = 0; i < ROOM_LINKS; i++)
            room_link_poll(&links[i]);
    g_room_link_counter++;
}

// What the download worker has finished since the last tick.
static void download_notices(void)
{
    WindowHooks *hooks = window_hooks();
    const int content = download_take_content_flag();
    if (content > 0) {
        if (content == DOWNLOAD_CONTENT_NEW)
            console_echo("download complete", MSG_INGAME);
        if (hooks->reload_player_textures)
            hooks->reload_player_textures();
    }
    if (download_take_flames_flag()) {
        console_echo("download of flames cache complete", MSG_INGAME);
        if (hooks->reload_flames)
            hooks->reload_flames();
    }
}

void on_tick(int arg)
{
    WindowHooks *hooks = window_hooks();
    const uint32_t now = clock_ms();
    get_game_globals()->now_ms = now;
    if ((int32_t)(now - g_alert_check) > 0) {
        if (hooks->update_turn_alert)
            hooks->update_turn_alert();
        g_alert_check = now + 3000;
    }
    poll_room_links();
    download_notices();
    list_auto_scroll();
    // A connected network game reads its server and goes on whatever menu
    // is open: the other player does not wait for this one's menus.
    if (get_game_globals()->network_mode == 1 && net_game_connected()) {
        net_poll();
    } else if (!menu_current_row()->world_runs) {
        if (hooks->draw_menu_overlay)
            hooks->draw_menu_overlay();
        return;
    }
    if (frame_cache_playback()) {
        turn_countdown();
        check_turn_timeout();
        playback_step();
    } else {
        run_match_tick(arg);
    }
    if (hooks->draw_frame)
        hooks->draw_frame(arg);
    CameraState *cam = get_camera();
    const int frame = get_game_state()->frame;
    if (cam->keyframe_state == KEYFRAMES_RECORDING && frame % 10 == 0)
        save_camera_keyframe(frame, cam->look, cam->eye);
}

void playback_step(void)
{
    WorldState *w = get_game_state();
    const int f = w->frame;
    frame_cache_restore(f);
    apply_emote_history(f);
    sound_cache_play(f);
    game_trails_update();
    w->frame = f + 1;
    if (get_game_globals()->network_mode == 1 && !w->game_over && match_end_network()) {
        end_of_match(w);
    }
    if (!frame_cache_valid(w->frame))
        start_playback(0);
}

int open_replay(const char *name)
{
    FileList *list = get_file_list(FILE_LIST_REPLAYS);
    for (int i = 0; list && i < list->count; i++) {
        if (strcmp(list->items[i], name) == 0)
            g_replay_index = i;
    }
    GameGlobals *g = get_game_globals();
    g->bouts_present = 0;
    // A replay is watched alone: the game server is left.
    if (net_game_connected()) {
        net_close_game();
        console_echo("disconnected", MSG_INGAME);
    }
    set_spectator_count(0);
    if (!is_safe_path(name, 1)) {
        fprintf(stderr, "Refusing replay name %s\n", name);
        // The replay window closes as for any other failed read.
        if (window_hooks()->hide_display)
            window_hooks()->hide_display(16);
        return 1;
    }
    char path[512];
    snprintf(path, sizeof path, "replay/%s", name);
    const int failed = read_replay_checked(path);
    if (!failed)
        start_replay();
    if (window_hooks()->hide_display)
        window_hooks()->hide_display(16);
    return failed;
}

int open_replay_index(int i)
{
    FileList *list = get_file_list(FILE_LIST_REPLAYS);
    if (!list || list->count <= 0) {
        fprintf(stderr, "replay folder is empty\n");
        return 1;
    }
    if (i < 0 || i >= list->count) {
        fprintf(stderr, "no replay %d in the replay list\n", i);
        return 1;
    }
    g_replay_index = i;
    char path[512];
    snprintf(path, sizeof path, "replay/%s", list->items[i]);
    if (read_replay_checked(path) != 0)
        return 1;
    start_replay();
    return 0;
}

static void replay_step(int delta)
{
    const int count = scan_replay_dir();
    if (count <= 0) {
        fprintf(stderr, "replay folder is empty\n");
        return;
    }
    g_replay_index = ((g_replay_index + delta) % count + count) % count;
    open_replay_index(g_replay_index);
    camera_fit_default(get_game_state(), 180.0f);
}

void replay_next(void) { replay_step(1); }
void replay_prev(void) { replay_step(-1); }

void play_shop_replay(const char *script)
{
    open_replay("system/vakoshop.rpl");
    leave_and_load_script(script);
    GameGlobals *g = get_game_globals();
    WorldState *w = get_game_state();
    g->selected_player = 0;
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    reset_match(0);
    static const float head[4] = {1, 1, 1, 1}, tail[4] = {1, 1, 1, 0.55f};
    for (int k = 0; k < TRAIL_LIMBS; k++) {
        LimbTrail *t = get_limb_trail(0, k);
        if (!t)
            continue;
        if (!t->colors_set)
            t->set_colors(head, tail);
        g_trail_lengths[k] = t->length;
        trail_set_length(t, 300);
    }
    if (g->replay_mode == 0)
        g->replay_mode = 1;
    w->frozen = 0;
    for (int j = 0; j < 3; j++)
        dismember_fighter_joint(0, j);
    enter_edit_mode();
    start_turn_frames(50);
    game_hook(HOOK_PLAY);
}

int use_mod_index(int i)
{
    FileList *list = get_file_list(FILE_LIST_MODS);
    if (!list || i < 0 || i >= list->count) {
        fprintf(stderr, "no mod %d in the mod list\n", i);
        return 1;
    }
    forget_loaded_mod();
    if (rules_set_mod_name(get_next_match_rules(), list->items[i]) != 0)
        return 1;
    reset_game();
    return 0;
}

int load_script_index(int i)
{
    FileList *list = get_file_list(FILE_LIST_SCRIPTS);
    if (!list || i < 0 || i >= list->count) {
        fprintf(stderr, "no script %d in the script list\n", i);
        return 1;
    }
    if (load_script(get_script_ctx(), list->items[i]) != 0) {
        console_echo(va_format("Error loading script: %s", list->items[i]), MSG_INGAME);
        return 1;
    }
    return 0;
}
