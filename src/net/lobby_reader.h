// The lobby reader: the three functions a WorkerThread runs to refresh the
// room list. init empties the list and starts connecting to the lobby;
// each step finishes the connect or reads the lines that have arrived and
// hands each to the line-command parser with the lobby as source (the
// lobby handlers fill the room list under its locks); keep_going ends the
// thread when the lobby has closed the connection, could not be reached or
// stayed silent for LOBBY_SILENCE_MS.
// The reader never writes into the chat (the chat's console hook runs
// script code, which lives on the main thread): its reports go to standard
// error, and the main thread reads lobby_reader_status.
#pragma once

enum {
    LOBBY_DEFAULT_PORT = 22000,
    LOBBY_CONNECT_TIMEOUT_MS = 10000,
    LOBBY_SILENCE_MS = 30000,
    LOBBY_STEP_WAIT_MS = 50,     // longest wait of one step: stop stays prompt
    LOBBY_LINES_PER_STEP = 64,
};

enum LobbyStatus {
    LOBBY_IDLE = 0,              // never started
    LOBBY_CONNECTING = 1,
    LOBBY_READING = 2,
    LOBBY_DONE = 3,              // the lobby sent its list and closed
    LOBBY_FAILED = 4,            // unreachable, refused, lost or silent
};

// Readies the next run, before its thread starts: the lobby's address
// ("a.b.c.d" or "a.b.c.d:port"), the status LOBBY_CONNECTING and the line
// count 0, so that nobody reads the last run's results as this one's.
void lobby_reader_prepare(const char *address);
void lobby_get_address(char *out, int size);

void lobby_reader_init(void);
void lobby_reader_step(void);
int lobby_reader_keep_going(void);
// Closes the connection a stopped reader left open. Call only while the
// reader's thread is not running.
void lobby_reader_close(void);

int lobby_reader_status(void);
// Lines handed to the parser since the last init.
int lobby_reader_line_count(void);
