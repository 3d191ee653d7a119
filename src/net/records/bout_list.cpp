#include "net/records/bout_list.h"

#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "net/records/bout_records.h"
#include "net/records/wire_text.h"
#include "app/base/number_text.h"

static BoutLine g_receiving[BOUT_LINE_ENTRIES];
static BoutLine g_committed[BOUT_LINE_ENTRIES];
static int g_committed_count;
static int g_spectators;

int parse_bout_entry(const char *text, BoutLine *entry)
{
    memset(entry, 0, sizeof *entry);
    if (!text)
        return 0;
    int32_t v[6];
    int n = read_int_list(text, BASE_C_FORMS, 6, v);
    int32_t *fields[6] = {&entry->server_id, &entry->qi,    &entry->streak,
                          &entry->winnings,  &entry->flags, &entry->word5};
    for (int i = 0; i < n; i++)
        *fields[i] = v[i];
    if (n < 6)
        return n;
    // Skip the six numbers again to find the name.
    const char *p = text;
    char word[64];
    for (int i = 0; i < 6 && p; i++)
        p = wire_read_word(p, word, sizeof word);
    p = p ? wire_read_word(p, entry->name, BOUT_LINE_NAME_SIZE) : nullptr;
    if (!p)
        return n;
    n++;
    if (read_int_list(p, BASE_C_FORMS, 1, &entry->word7) == 1)
        n++;
    return n;
}

int bout_list_set(int index, const BoutLine *entry)
{
    if (index == -1) {
        memcpy(g_committed, g_receiving, sizeof g_committed);
        g_committed_count = 0;
        for (int i = 0; i < BOUT_LINE_ENTRIES; i++)
            g_committed_count += g_committed[i].used != 0;
        memset(g_receiving, 0, sizeof g_receiving);
        bout_records_commit(g_committed, BOUT_LINE_ENTRIES);
        return 0;
    }
    if (index < 0 || index >= BOUT_LINE_ENTRIES || !entry) {
        fprintf(stderr, "BOUT entry %d out of range\n", index);
        return 1;
    }
    g_receiving[index] = *entry;
    g_receiving[index].name[BOUT_LINE_NAME_SIZE - 1] = '\0';
    g_receiving[index].used = 1;
    return 0;
}

const BoutLine *get_bout_line(int i)
{
    return i >= 0 && i < BOUT_LINE_ENTRIES ? &g_committed[i] : nullptr;
}

int bout_list_count(void)
{
    return g_committed_count;
}

void bout_list_clear(void)
{
    memset(g_receiving, 0, sizeof g_receiving);
    memset(g_committed, 0, sizeof g_committed);
    g_committed_count = 0;
}

int get_spectator_count(void)
{
    return g_spectators;
}

void set_spectator_count(int n)
{
    g_spectators = n < 0 ? 0 : (n > BOUT_NAMES ? BOUT_NAMES : n);
}

int set_spectators(const char *text)
{
    BoutListEntry *list = get_bout_entry(0);
    int n = wire_split_names(text, &list->names[0][0], BOUT_LIST_NAME_SIZE, BOUT_NAMES);
    set_spectator_count(n);
    return n;
}
