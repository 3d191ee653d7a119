#include "gui/services/chat_log.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "app/base/clock.h"
#include "app/base/text.h"
#include "app/base/text_encoding.h"
#include "app/base/utils.h"
#include "gui/services/centerprint.h"

namespace {

struct ChatLog {
    ChatTab tabs[CHAT_TABS];
    int32_t current;
    int32_t visible;
};

ChatLog chat_log;
bool chat_ready = false;
// Lines may arrive from the lobby thread as well as the main thread.
std::recursive_mutex chat_mutex;
std::atomic<ConsoleFilter> console_filter{nullptr};
// Set while this thread runs the filter, so that lines the filter echoes
// itself are stored without asking it again (no endless recursion).
thread_local bool in_filter = false;

// The capture file is written beside its name and takes that name (or a
// counted one, never replacing a file) when the capture ends.
FILE *capture_file = nullptr;
char capture_path[CONSOLE_CAPTURE_PATH];
// Set by every change the drawn chat shows; the chat cache is refilled
// from it once per drawn frame.
std::atomic<int> chat_redraw{1};
int chat_line_h = 16, chat_wrap_w = 944, chat_rows_max = CHAT_VISIBLE_MAX;
std::atomic<uint32_t> layout_generation{1};

void reset_tab(ChatTab *t, int index)
{
    t->first = 0;
    t->count = 0;
    t->in_use = index == 0;
    t->bound_id = -1;
    t->kind = 0;
    t->title[0] = '\0';
    t->next_serial = 0;
    t->generation++;
    list_init(&t->scroll);
}

void ensure_ready()
{
    if (chat_ready)
        return;
    for (int i = 0; i < CHAT_TABS; i++)
        reset_tab(&chat_log.tabs[i], i);
    chat_log.current = 0;
    chat_log.visible = LIST_VISIBLE_DEFAULT;
    chat_ready = true;
}

bool tab_ok(int tab)
{
    return tab >= 0 && tab < CHAT_TABS;
}

void store_line(int tab, const char *text, MessageType type)
{
    chat_redraw = 1;
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    ChatTab *t = &chat_log.tabs[tab];
    int slot;
    if (t->count < CHAT_TAB_LINES) {
        slot = (t->first + t->count) % CHAT_TAB_LINES;
        t->count++;
    } else {
        // Full: the oldest line gives way to the newest.
        slot = t->first;
        t->first = (t->first + 1) % CHAT_TAB_LINES;
    }
    ChatLine *line = &t->lines[slot];
    local_to_utf16(line->text, text, (int)strlen(text), CHAT_LINE_UNITS);
    line->text[CHAT_LINE_UNITS - 1] = 0;
    line->type = type;
    line->time_ms = clock_ms();
    line->serial = t->next_serial++;
    t->generation++;
}

int shown_rows_locked(void)
{
    return chat_log.visible < chat_rows_max ? chat_log.visible : chat_rows_max;
}

} // namespace

ConsoleFilter chat_set_console_filter(ConsoleFilter filter)
{
    return console_filter.exchange(filter);
}

ConsoleFilter chat_get_console_filter(void)
{
    return console_filter.load();
}

void console_echo_tab(int tab, const char *text, MessageType type)
{
    if (!tab_ok(tab)) {
        fprintf(stderr, "console_echo_tab: no chat tab %i\n", tab);
        return;
    }
    if (!text)
        text = "";
    // A message is one line: a trailing line end is not part of it.
    char buf[CHAT_LINE_UNITS * 3];
    utf8_strncpyz(buf, sizeof buf, text);
    size_t len = strlen(buf);
    while (len > 0 && (buf[len - 1] == '\n' || buf[len - 1] == '\r'))
        buf[--len] = '\0';

    ConsoleFilter filter = console_filter.load();
    if (filter && !in_filter) {
        in_filter = true;
        int veto = filter(tab, buf, type);
        in_filter = false;
        if (veto)
            return;
    }
    store_line(tab, buf, type);
}

void console_echo(const char *text, MessageType type)
{
    {
        std::lock_guard<std::recursive_mutex> lock(chat_mutex);
        if (capture_file) {
            fprintf(capture_file, "%s\n", text ? text : "");
            return;
        }
    }
    console_echo_tab(chat_current_tab(), text, type);
}

void chat_init(void)
{
    {
        std::lock_guard<std::recursive_mutex> lock(chat_mutex);
        chat_ready = false;
        ensure_ready();
    }
    centerprint_clear();
}

void chat_clear_all(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    chat_log.visible = LIST_VISIBLE_DEFAULT;
    chat_redraw = 1;
    for (int i = 0; i < CHAT_TABS; i++) {
        ChatTab *t = &chat_log.tabs[i];
        t->first = 0;
        t->count = 0;
        t->generation++;
        list_set_count(&t->scroll, 0);
        list_reset(&t->scroll);
        list_set_visible(&t->scroll, shown_rows_locked());
    }
}

int chat_current_tab(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return chat_log.current;
}

int chat_set_current_tab(int tab)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    if (!tab_ok(tab) || !chat_log.tabs[tab].in_use)
        return 1;
    chat_log.current = tab;
    chat_redraw = 1;
    return 0;
}

int chat_tab_find(int id)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    if (id == -1)
        return -1;   // the mark of a tab bound to no one
    for (int i = 1; i < CHAT_TABS; i++)
        if (chat_log.tabs[i].in_use && chat_log.tabs[i].bound_id == id)
            return i;
    return -1;
}

void chat_tab_unbind(int id)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    const int tab = chat_tab_find(id);
    if (tab > 0)
        chat_log.tabs[tab].bound_id = -1;
}

int chat_tab_open(int id, const char *title)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    if (id == -1)
        return -1;   // no one: a tab for it could never be found again
    int tab = chat_tab_find(id);
    if (tab >= 0)
        return tab;
    for (int i = 1; i < CHAT_TABS; i++) {
        ChatTab *t = &chat_log.tabs[i];
        if (t->in_use)
            continue;
        reset_tab(t, i);
        t->in_use = 1;
        t->bound_id = id;
        utf8_strncpyz(t->title, CHAT_TITLE_SIZE, title);
        list_set_visible(&t->scroll, shown_rows_locked());
        return i;
    }
    return -1;
}

void chat_tab_set_flag(int tab, int kind)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    if (tab_ok(tab))
        chat_log.tabs[tab].kind = kind;
}

int chat_tab_kind(int tab)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return tab_ok(tab) ? chat_log.tabs[tab].kind : 0;
}

int chat_line_count(int tab)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return tab_ok(tab) ? chat_log.tabs[tab].count : 0;
}

int chat_line_copy(int tab, int i, ChatLine *out)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    if (!tab_ok(tab))
        return 1;
    const ChatTab *t = &chat_log.tabs[tab];
    if (i < 0 || i >= t->count)
        return 1;
    *out = t->lines[(t->first + i) % CHAT_TAB_LINES];
    return 0;
}

ScrollList *chat_current_scroll(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return &chat_log.tabs[chat_log.current].scroll;
}

int chat_visible_lines(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return chat_log.visible;
}

void chat_set_visible_lines(int n)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    if (n < 1)
        n = 1;
    if (n > CHAT_VISIBLE_MAX)
        n = CHAT_VISIBLE_MAX;
    chat_log.visible = n;
    chat_redraw = 1;
    for (int i = 0; i < CHAT_TABS; i++)
        list_set_visible(&chat_log.tabs[i].scroll, shown_rows_locked());
}

int chat_shown_rows(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return shown_rows_locked();
}

uint32_t chat_tab_generation(int tab)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    return tab_ok(tab) ? chat_log.tabs[tab].generation : 0;
}

int console_capture_open(const char *path)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    if (capture_file) {
        replace_file_discard(capture_file, capture_path);
        capture_file = nullptr;
    }
    if (!path || strlen(path) >= sizeof capture_path)
        return 1;
    n_strncpyz(capture_path, path, (int)sizeof capture_path);
    capture_file = replace_file_open(path);
    return capture_file ? 0 : 1;
}

int console_capture_close(char *saved, int size)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    if (saved && size > 0)
        saved[0] = '\0';
    if (!capture_file)
        return 1;
    const int failed = new_file_commit(capture_file, capture_path, saved, size);
    capture_file = nullptr;
    if (failed)
        fprintf(stderr, "console: captured output could not be written to %s\n", capture_path);
    return failed;
}

int console_capture_active(void)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    return capture_file != nullptr;
}

int chat_needs_redraw(void) { return chat_redraw.load(); }
void chat_mark_redraw(void) { chat_redraw = 1; }
void chat_redraw_done(void) { chat_redraw = 0; }

void chat_update_layout(int line_height, int window_width, int window_height)
{
    std::lock_guard<std::recursive_mutex> lock(chat_mutex);
    ensure_ready();
    chat_line_h = line_height > 0 ? line_height : 16;
    chat_wrap_w = window_width - 2 * CHAT_ORIGIN_X;
    if (chat_wrap_w > CHAT_WRAP_MAX)
        chat_wrap_w = CHAT_WRAP_MAX;
    if (chat_wrap_w < 1)
        chat_wrap_w = 1;
    // Below the rows: the status line and the chat input line.
    int rows = (window_height - CHAT_ORIGIN_Y - 3 * chat_line_h - 16) / chat_line_h;
    chat_rows_max = rows < 1 ? 1 : rows > CHAT_VISIBLE_MAX ? CHAT_VISIBLE_MAX : rows;
    for (int i = 0; i < CHAT_TABS; i++)
        list_set_visible(&chat_log.tabs[i].scroll, shown_rows_locked());
    layout_generation++;
    chat_redraw = 1;
}

int chat_line_height(void) { return chat_line_h; }
int chat_wrap_width(void) { return chat_wrap_w; }
int chat_max_rows(void) { return chat_rows_max; }
uint32_t chat_layout_generation(void) { return layout_generation.load(); }

void chat_video_reset(int line_height, int window_width, int window_height)
{
    chat_update_layout(line_height, window_width, window_height);
    chat_set_visible_lines(LIST_VISIBLE_DEFAULT);
}
