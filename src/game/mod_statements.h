// The mod statement language: one table row per keyword with its handler,
// the parser state kept between the lines of one load, and the reader of
// one statement line.
#pragma once
#include "game/mod_world.h"

enum {
    MOD_LINE_MAX = 2048,        // characters of one statement line
    MOD_STATEMENT_COUNT = 36,
};

// Block modes of the parser.
enum ModMode {
    MOD_MODE_NONE = 0,
    MOD_MODE_BODY = 1,
    MOD_MODE_JOINT = 2,
    MOD_MODE_WORLD = 3,
    MOD_MODE_BLOOD = 4,
    MOD_MODE_HOLD = 5,
    MOD_MODE_HOLD_ACTIVE = 6,
    MOD_MODE_RELAX = 7,
    MOD_MODE_RELAX_ACTIVE = 8,
    MOD_MODE_ENV_OBJ = 9,
    MOD_MODE_ENV_OBJ_JOINT = 10,
    MOD_MODE_GAMERULE = 11,
};

// Parser state kept between the lines of one load. An index of -1 means
// none: statements that need that record are refused.
struct ModParser {
    int player;               // 0 or 1
    int body;                 // 0..20 or -1
    int joint;                // 0..19 or -1
    int object;               // 0..15 or -1
    int object_joint;         // 0..15 or -1
    int mode;                 // ModMode
    int no_player_statement;  // 1 until a `player` statement (or an overlay)
    int overlay;              // 1 while a player's rpg overlay is read
    int version;
    char message[MOD_MESSAGE_SIZE];
};

typedef int (*ModStatementFn)(ModParser *ps, const char *arg);

// What a player's rpg overlay may do with a statement.
enum ModOverlayUse {
    OVERLAY_REFUSED = 0,      // refused with a message
    OVERLAY_OK = 1,
    OVERLAY_ENDS_BLOCK = 2,   // refused, and the current block ends
};

// One row of the statement table: the keyword, whether it needs an
// argument, what an rpg overlay may do with it, and its handler.
struct ModStatement {
    const char *name;
    int takes_arg;
    int overlay;              // ModOverlayUse
    ModStatementFn run;
};

// The 36 rows in table order.
const ModStatement *mod_statement_table(void);
const ModParser *get_mod_parser(void);
// The same state for the loaders, which set it up before reading a file.
ModParser *mod_parser_state(void);
// One statement line.
void parse_mod_cmd(const char *line);
