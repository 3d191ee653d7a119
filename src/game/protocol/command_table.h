// The line protocol shared by replay files, the game server and the lobby:
// the keyword table (one handler per source) and the dispatcher.
//
// A line is a keyword, a blank, a signed number (as a rule the player or
// frame index), a semicolon and the arguments; '#' starts a comment line.
// After a line of a row flagged CMD_FLAG_BLOCK_FOLLOWS the next unit of input is a
// binary block of little-endian 32-bit words: a count N, then N - 1 words.
#pragma once
#include <cstdint>

enum CommandSource {
    CMD_SOURCE_REPLAY = 0,
    CMD_SOURCE_SERVER = 1,
    CMD_SOURCE_LOBBY = 2,
    CMD_SOURCES = 3,
};

// Bits of CommandRow::flags: what a row carries. Only CMD_FLAG_BLOCK_FOLLOWS
// changes how parse_cmd reads the input; the others class the rows.
enum {
    CMD_FLAG_FRAME_STATE = 1,   // per-frame body or object state
    CMD_FLAG_TURN_INPUT = 2,    // a fighter's moves for the turn (joints, grips)
    CMD_FLAG_TEXT_LINE = 4,     // set-up, chat, names, customisation, lobby
    CMD_FLAG_BLOCK_FOLLOWS = 8, // a binary block follows the line
};

enum {
    COMMAND_TABLE_ROWS = 92,
    CMD_LINE_MAX = 2048,        // longest line, its line end not counted
    CMD_BLOCK_MAX_WORDS = 512,  // longest binary block, count word included
    CMD_KEYWORD_SIZE = 64,
};

// What a handler receives: for a text line the text after the first ';'
// (null when the line has none); for a binary block its words, count word
// first, already checked against what arrived (words[0] == word_count).
struct LineArg {
    const char *text;
    const int32_t *words;
    int32_t word_count;
};

// (the line's number, its argument)
typedef void (*LineHandler)(int number, const LineArg *arg);

struct CommandRow {
    const char *keyword;
    LineHandler server;         // source 1
    LineHandler replay;         // source 0
    LineHandler lobby;          // source 2
    int32_t flags;
};

// The COMMAND_TABLE_ROWS rows in protocol order, then a row whose keyword
// is null.
const CommandRow *command_table(void);
// Row index of a keyword (exact, first match), -1 when none.
int command_find(const char *keyword);
// The handler of a row for a source; null for an empty cell or a bad index.
LineHandler command_handler(const CommandRow *row, int source);

// What one caller keeps between a line and its binary block: the pending
// flag, the matched row and the line's number. Every caller (replay reader,
// game-server poll, lobby reader thread) has its own, so a line from one
// source never lands in another source's block.
struct CommandCursor {
    int32_t pending;            // 1: the next unit of input is a binary block
    int32_t row;                // matched row, -1 none
    int32_t number;
};

void command_cursor_reset(CommandCursor *cursor);
// One cursor per source, for callers that have no other; each is used by
// the one thread that reads that source.
CommandCursor *command_cursor(int source);

// Dispatches one unit of input. data is a text line (length < 0: up to its
// terminator) or, while cursor->pending is set, the binary block that
// follows a block row (length: the bytes that arrived).
// Returns 0 when the unit was taken (handled, a comment, a block row that
// raised the pending flag, or a line for a source whose cell is empty), 1
// when it was refused with a message on standard error (bad start, no such
// keyword, a line over CMD_LINE_MAX characters, a bad block).
int parse_cmd(int source, const char *data, int length, CommandCursor *cursor);

// Reads a binary block: the count from the first 4 bytes (little-endian),
// then the words. Returns the count, or -1 when the count is below 1, above
// CMD_BLOCK_MAX_WORDS, or says more words than the length holds. words must
// hold CMD_BLOCK_MAX_WORDS.
int read_block_words(const char *data, int length, int32_t *words);
