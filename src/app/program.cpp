#include "app/program.h"

#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

#include "app/base/command_line.h"
#include "app/base/data_dirs.h"
#include "app/base/download_queue.h"
#include "app/base/file_list.h"
#include "app/base/options.h"
#include "app/base/registry.h"
#include "app/base/temp_names.h"
#include "app/base/threads.h"
#include "app/base/utils.h"
#include "app/camera.h"
#include "app/script_bindings.h"
#include "app/key_bindings.h"
#include "app/lobby_thread.h"
#include "app/pov_recording.h"
#include "app/quit_watchdog.h"
#include "app/services/config_file.h"
#include "app/services/services_callbacks.h"
#include "app/services/settings_io.h"
#include "app/services/sound.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_callbacks.h"
#include "game/protocol/protocol_callbacks.h"
#include "game/world_build.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "gui/services/history.h"
#include "gui/services/line_buffer.h"
#include "gui/services/scroll_list.h"
#include "net/download_worker.h"
#include "net/game_connection.h"
#include "net/records/buddies.h"
#include "net/records/server_list.h"
#include "net/room_link.h"
#include "render/render_callbacks.h"
#include "script/script_context.h"

static ProgramObjects g_objects;

// The folders the program saves into: a save cut off by a kill leaves its
// temporary file there (an animation's can take megabytes).
static const char *const k_save_folders[] = {".",          "replay", "autosave",   "raytrace",    "screenshots",
                                             "stance",     "data",   "data/mod",   "data/shader", nullptr};

// Removes the temporary files earlier runs left in the save folders and in
// each player's folder under custom/ (downloads).
static void remove_stale_saves(void)
{
    for (const char *const *f = k_save_folders; *f; f++)
        remove_stale_temp_files(data_path(*f));
    DIR *custom = opendir(data_path("custom"));
    if (!custom)
        return;
    while (const dirent *e = readdir(custom)) {
        char folder[300];
        struct stat st;
        // The entry's type comes with the listing; a file system that
        // does not give it is asked with lstat.
        if (e->d_name[0] == '.' || (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) ||
            snprintf(folder, sizeof folder, "custom/%s", e->d_name) >= (int)sizeof folder)
            continue;
        if (e->d_type == DT_DIR || (lstat(data_path(folder), &st) == 0 && S_ISDIR(st.st_mode)))
            remove_stale_temp_files(data_path(folder));
    }
    closedir(custom);
}

static void turn_alert(void)
{
    if (window_hooks()->set_turn_alert)
        window_hooks()->set_turn_alert();
}
static void clear_turn_alert(void)
{
    if (window_hooks()->clear_turn_alert)
        window_hooks()->clear_turn_alert();
}
static MainLoopCallbacks g_callbacks;

ProgramObjects *program_objects(void) { return &g_objects; }
MainLoopCallbacks *program_callbacks(void) { return &g_callbacks; }

int program_create_objects(void)
{
    g_callbacks.init = on_loop_init;
    g_callbacks.tick = on_tick;
    g_callbacks.key = on_key;
    g_callbacks.mouse_button = on_mouse_button;
    g_callbacks.pick = on_pick;
    g_callbacks.quit = nullptr;
    console_set_quit_handler(quit_request);
    pov_recording_install();

    protocol_install_callbacks();
    services_install_callbacks();
    render_install_callbacks();
    game_callbacks()->replay_next = replay_next;
    game_callbacks()->camera_fit = camera_fit_match;
    game_callbacks()->turn_alert = turn_alert;
    net_install_callbacks();
    game_callbacks()->camera_playback = camera_on_rewind;
    game_callbacks()->clear_turn_alert = clear_turn_alert;

    remove_stale_saves();
    g_objects.line_buffer = new LineBuffer(LINE_BUFFER_LINES);
    g_objects.scroll_list = new ScrollList();
    config_open("default.cfg");
    buddies_load();
    g_objects.server_list = new ServerList();
    set_lobby_handler_target(g_objects.server_list);
    create_lobby_thread();
    sound_cache_alloc();
    download_queue_clear();
    g_objects.download_thread = new OneShotThread();
    download_worker_start(g_objects.download_thread);
    g_objects.room_links = new RoomLink[ROOM_LINKS];
    // The folder lists the menus show (the replay list is read again when
    // play starts and when replays are browsed).
    scan_replay_dir();
    scan_script_dir();
    scan_mod_dir();
    scan_shader_dir();
    // A script that never returns (startup.lua, a hook) still lets the
    // program end: it is stopped once a quit is asked for.
    script_set_quit_check(quit_requested);
    // The bindings' script functions are there for startup.lua too.
    script_set_more_functions(script_register_binding_functions);
    g_objects.script = new ScriptContext();

    // The world (replay buffer, frame cache, emote history, fighters),
    // then the chat and the typed-line history.
    if (init_game() != 0) {
        fprintf(stderr, "Unable to start the game: no memory for the replay buffer and frame cache\n");
        return 1;
    }
    chat_init();
    history_load();
    end_save_arm(END_SAVE_HISTORY, history_save);
    return 0;
}

void program_destroy_objects(void)
{
    // The game server hears the goodbye before anything else ends.
    if (net_game_connected())
        net_shutdown();
    // Threads first: the download worker is stopped (or, when it does not
    // end in time, left running with what it uses) before the queue and
    // everything it reads are freed.
    download_worker_stop();
    const bool download_ended = !g_objects.download_thread || !g_objects.download_thread->is_running();
    pov_recording_stop();
    // Only a history that was loaded is written back (a start that failed
    // early would otherwise empty history.log).
    end_save_run(END_SAVE_HISTORY);
    delete g_objects.script;
    g_objects.script = nullptr;
    script_set_quit_check(nullptr);
    script_set_more_functions(nullptr);
    if (g_objects.line_buffer)
        line_buffer_destroy(g_objects.line_buffer);
    delete g_objects.line_buffer;
    g_objects.line_buffer = nullptr;
    if (g_objects.scroll_list)
        list_release(g_objects.scroll_list);
    delete g_objects.scroll_list;
    g_objects.scroll_list = nullptr;
    buddies_clear();
    delete[] g_objects.room_links;
    g_objects.room_links = nullptr;
    config_close();
    const bool lobby_ended = delete_lobby_thread() != 0;
    // A worker left running keeps its thread object.
    if (download_ended)
        delete g_objects.download_thread;
    g_objects.download_thread = nullptr;
    download_queue_clear();
    if (lobby_ended) {
        set_lobby_handler_target(nullptr);
        delete g_objects.server_list;
    }
    g_objects.server_list = nullptr;
    for (int i = 0; i < FILE_LIST_KINDS; i++)
        file_list_clear(get_file_list(i));
    net_close_game();
    free_game();
    sound_cache_free();
}

int program_startup(int argc, char **argv, RunWindowFn run_window)
{
    if (chdir_to_exe_dir(nullptr) == 0)
        register_if_installed();
    read_command_line(argc, argv);
    // From here on a quit request ends the process in bounded time, even
    // when a script is stuck where the quit check cannot stop it.
    quit_watchdog_start(quit_was_requested);
    int status = 1;
    if (program_create_objects() == 0)
        status = parse_cmdline(argc, argv, option_get(OPT_WIDTH), option_get(OPT_HEIGHT), &g_callbacks, run_window);

    program_destroy_objects();
    quit_watchdog_stop();
    end_save_arm(END_SAVE_CONFIG, nullptr);
    end_save_arm(END_SAVE_HISTORY, nullptr);
    return status;
}

int parse_cmdline(int argc, char **argv, int width, int height, MainLoopCallbacks *cb, RunWindowFn run_window)
{
    // The arguments were read before the objects were made; the size is
    // the options' own, which the window reads itself.
    (void)argc;
    (void)argv;
    (void)width;
    (void)height;
    camera_defaults();
    return run_window ? run_window(cb) : 0;
}
