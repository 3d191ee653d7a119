// The chat log: 8 chat tabs of 128 stored lines each, tab 0 being the
// console. Every line passes the console filter (the script hook `console`,
// installed by the script context) first, which may veto it.
#pragma once
#include <cstdint>

#include "app/base/message_type.h"
#include "gui/services/scroll_list.h"

enum {
    CHAT_TABS = 8,
    CHAT_TAB_LINES = 128,
    CHAT_LINE_UNITS = 1024,     // 16-bit units per stored line, terminator included
    CHAT_TITLE_SIZE = 64,
    CHAT_VISIBLE_MAX = 20,
    CHAT_TAB_WHISPER = 2,       // tab kind word of a whisper tab
};

struct ChatLine {
    uint16_t text[CHAT_LINE_UNITS];
    MessageType type;
    uint32_t time_ms;           // clock_ms() when the line arrived
    uint32_t serial;            // counts the tab's lines, never reused
};

struct ChatTab {
    ChatLine lines[CHAT_TAB_LINES];   // ring: oldest at `first`
    int32_t first;
    int32_t count;
    int32_t in_use;             // tab 0 always; others while bound to an id
    int32_t bound_id;           // connection or player id, -1 when none
    int32_t kind;
    char title[CHAT_TITLE_SIZE];
    uint32_t next_serial;
    uint32_t generation;        // changes with every line stored or cleared
    // The rows the chat drawing shows (its lines wrapped); its count is
    // set by the drawing, not by the lines stored.
    ScrollList scroll;
};

// Called with every line before it is stored; a non-zero result vetoes the
// line. The text is UTF-8. Lines echoed while the filter runs on the same
// thread do not pass it again.
typedef int (*ConsoleFilter)(int tab, const char *text, MessageType type);

// Installs the filter (null removes it); returns the one it replaces.
ConsoleFilter chat_set_console_filter(ConsoleFilter filter);
ConsoleFilter chat_get_console_filter(void);

// Adds a UTF-8 text as one line to the current tab (or, while console
// output is captured, writes it to the capture file instead).
void console_echo(const char *text, MessageType type);
// The same into the given tab (0 is the console); a bad tab drops the line.
void console_echo_tab(int tab, const char *text, MessageType type);

// Sets up the 8 tabs: all empty, only the console in use, 5 visible lines,
// the console current. Also clears the centre-print lines.
void chat_init(void);
// Empties every tab's ring; no current line, 5 visible lines.
void chat_clear_all(void);

int chat_current_tab(void);
// Makes a tab in use current; returns 0, or 1 for a bad or unused tab.
int chat_set_current_tab(int tab);

// Index of the tab bound to the id, -1 when none.
int chat_tab_find(int id);
// The tab bound to the id: an existing one, else a free one (1..7) bound
// now with the title; -1 when no tab is free or the id is -1 (no one).
int chat_tab_open(int id, const char *title);
// The tab bound to the id keeps its lines and title but no longer belongs
// to the id: the id's next whisper opens a tab of its own.
void chat_tab_unbind(int id);
void chat_tab_set_flag(int tab, int kind);
int chat_tab_kind(int tab);

// Stored lines of a tab (0 for a bad tab); line 0 is the oldest.
int chat_line_count(int tab);
// Copies line i of the tab; 0 on success, 1 when there is no such line.
int chat_line_copy(int tab, int i, ChatLine *out);

ScrollList *chat_current_scroll(void);
// The visible lines asked for (Tab, chat_set_visible_lines).
int chat_visible_lines(void);
// Sets the visible lines of every tab, 1 to CHAT_VISIBLE_MAX; the lists
// show at most as many rows as fit in the window (chat_update_layout).
void chat_set_visible_lines(int n);
// The rows the lists show now: the lines asked for within the window.
int chat_shown_rows(void);
// Changes whenever the tab's lines change (0 for a bad tab).
uint32_t chat_tab_generation(int tab);

// Console output capture (the `>` of a console command line): while a
// capture file is open, console_echo writes lines there, one per line.
// The lines go to a temporary file beside path; closing the capture gives
// it the name path or, when a file has that name, a counted name beside it
// (an existing file is never replaced) and puts the name taken into saved
// (size bytes). Open returns 0, or 1 when the file cannot be made; close
// 0, or 1 when nothing was written (no capture open, a failed write).
enum { CONSOLE_CAPTURE_PATH = 1024 };
int console_capture_open(const char *path);
int console_capture_close(char *saved = nullptr, int size = 0);
int console_capture_active(void);

// The chat changed since the cache was last filled (set at start).
int chat_needs_redraw(void);
void chat_mark_redraw(void);
void chat_redraw_done(void);
enum {
    CHAT_ORIGIN_X = 8, CHAT_ORIGIN_Y = 80,   // where the chat's first row is drawn
    CHAT_WRAP_MAX = 1008,       // the chat caches are 1024 pixels wide
};
// The layout from the chat font's line height and the window size: the
// wrap width (the window's width less the margins, at most CHAT_WRAP_MAX)
// and the rows that fit between the chat's top and the input line at the
// bottom (1 to CHAT_VISIBLE_MAX), so that every row stays in the window.
void chat_update_layout(int line_height, int window_width, int window_height);
int chat_line_height(void);
int chat_wrap_width(void);
int chat_max_rows(void);
// Changes whenever chat_update_layout runs.
uint32_t chat_layout_generation(void);
// After a video reset: the layout again and 5 visible lines.
void chat_video_reset(int line_height, int window_width, int window_height);
