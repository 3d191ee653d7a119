#include "gui/services/history.h"

#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "app/base/text_encoding.h"
#include "app/base/utils.h"

static const char HISTORY_FILE[] = "history.log";

static uint16_t history[HISTORY_LINES][HISTORY_LINE_UNITS];
static int history_first;
static int history_used;

static void add_utf8(const char *text)
{
    if (!text[0])
        return;
    int slot;
    if (history_used < HISTORY_LINES) {
        slot = (history_first + history_used) % HISTORY_LINES;
        history_used++;
    } else {
        slot = history_first;
        history_first = (history_first + 1) % HISTORY_LINES;
    }
    local_to_utf16(history[slot], text, (int)strlen(text), HISTORY_LINE_UNITS);
}

void history_add(const uint16_t *line)
{
    if (!line || !line[0])
        return;
    char text[HISTORY_LINE_UNITS * 3];
    utf16_to_local(text, line, (int)sizeof text - 1);
    add_utf8(text);
}

void history_clear(void)
{
    history_first = 0;
    history_used = 0;
}

int history_count(void)
{
    return history_used;
}

const uint16_t *history_line(int i)
{
    if (i < 0 || i >= history_used)
        return nullptr;
    return history[(history_first + i) % HISTORY_LINES];
}

void history_load(void)
{
    history_clear();
    FILE *f = fopen_regular(HISTORY_FILE, "r");
    if (!f)
        return;
    // A line longer than the buffer keeps its start; the rest is skipped
    // rather than read as further lines.
    char buf[HISTORY_LINE_UNITS * 3];
    bool skipping = false;
    while (fgets(buf, sizeof buf, f)) {
        size_t len = strlen(buf);
        bool whole = len > 0 && buf[len - 1] == '\n';
        if (skipping) {
            skipping = !whole;
            continue;
        }
        skipping = !whole && !feof(f);
        while (len > 0 && (buf[len - 1] == '\n' || buf[len - 1] == '\r'))
            buf[--len] = '\0';
        add_utf8(buf);
    }
    fclose(f);
}

void history_save(void)
{
    // Written beside the file and renamed over it: a failed save keeps the
    // old history.
    FILE *f = replace_file_open(HISTORY_FILE);
    if (!f) {
        fprintf(stderr, "Unable to write %s\n", HISTORY_FILE);
        return;
    }
    char text[HISTORY_LINE_UNITS * 3];
    for (int i = 0; i < history_used; i++) {
        utf16_to_local(text, history_line(i), (int)sizeof text - 1);
        fprintf(f, "%s\n", text);
    }
    if (replace_file_commit(f, HISTORY_FILE) != 0)
        fprintf(stderr, "Unable to write %s\n", HISTORY_FILE);
}
