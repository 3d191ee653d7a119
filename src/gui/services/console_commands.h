// The console command language: one line, the first word a command name or
// alias, the rest its argument, optionally `>` and a file name to capture
// the command's output. Every command is one row of the command table.
#pragma once

enum {
    CONSOLE_LINE_SIZE = 4096,   // longest command line run
    CONSOLE_FILE_LINE = 2047,   // longest line of a command file
};

typedef void (*ConsoleHandler)(const char *arg);

// Bits of ConsoleCommand::reach: what a command does beyond the running
// game. A game server's line may run none of these.
enum {
    CONSOLE_WRITES_FILES = 1,   // saves or exports a file
    CONSOLE_ENDS_PROGRAM = 2,   // ends the program
};

struct ConsoleCommand {
    const char *name;
    const char *alias;          // null when the command has none
    ConsoleHandler handler;     // receives the trimmed argument ("" when none)
    int reach;                  // CONSOLE_WRITES_FILES | CONSOLE_ENDS_PROGRAM, 0 for none
};

// The table, ended by a row with a null name.
extern const ConsoleCommand console_commands[];

// The row whose name or alias is the word (ASCII case ignored), else null.
const ConsoleCommand *console_find_command(const char *word);

// Runs one console command line (a leading '/' is allowed). Returns 1 when
// the line is no local console command (empty, or an unknown first word),
// else 0 (also when the command itself refused its argument). Captured
// output never replaces a file: a name that exists gets a counter, and the
// console says where the output went.
int run_command(const char *line);
// The same for a line a game server sent: a server neither writes files nor
// ends the program. A line that asks for its output in a file (`>`), and a
// command whose row has any reach bit, are refused whole with a message
// that names the command ("A server may not write files: raytrace
// refused").
int run_server_command(const char *line);

// Runs a file of console commands: "Unable to open %s" in the console when
// it cannot be read; otherwise each line is trimmed, echoed (to the console,
// or to the capture file while output is captured) and run. Empty lines and
// lines starting with '#' are skipped; a line longer than 2047 characters is
// reported and skipped whole.
void exec_file(const char *path);


// What "quit" (alias "exit") runs: the program's quit request. Without a
// handler the command says that there is nothing to quit.
void console_set_quit_handler(void (*handler)(void));

// What "raytrace <file>" runs: writes the scene to path, or to a free name
// beside it when path is taken, and puts the name written into saved.
// Returns 0, or 1 when nothing was written. Without a writer the command
// reports that it could not create the file.
typedef int (*ConsoleSceneWriter)(const char *path, char *saved, int size);
void console_set_scene_writer(ConsoleSceneWriter writer);
