// The program's life: the long-lived objects made in a fixed order, the
// hand-over to the main loop, and their destruction in a fixed order once
// the loop has ended.
#pragma once
#include "app/main_loop.h"

struct LineBuffer;
struct ScrollList;
class ServerList;
class OneShotThread;
class RoomLink;
struct ScriptContext;

typedef int (*RunWindowFn)(MainLoopCallbacks *callbacks);

// Settles the working folder, reads the command line, makes the objects,
// starts the game, runs the loop through run_window and shuts down. Returns
// run_window's status (0 for a normal run), 1 when the game cannot start.
int program_startup(int argc, char **argv, RunWindowFn run_window);

// The last preparations before the loop (the camera's start values), then
// the loop itself; returns when it has ended, with run_window's status.
int parse_cmdline(int argc, char **argv, int width, int height, MainLoopCallbacks *cb, RunWindowFn run_window);

// The two halves around the loop (program_startup calls them in order).
// 0, or 1 when the game cannot start (what was made is freed by destroy).
int program_create_objects(void);
void program_destroy_objects(void);
// The callback record the loop is driven with.
MainLoopCallbacks *program_callbacks(void);

// The long-lived objects (null when not made).
struct ProgramObjects {
    struct LineBuffer *line_buffer;
    struct ScrollList *scroll_list;
    ServerList *server_list;
    OneShotThread *download_thread;
    RoomLink *room_links;               // ROOM_LINKS of them
    ScriptContext *script;
};
ProgramObjects *program_objects(void);
