// The spectator name lists, for a tree without the shared user strings.
#include "net/bout_list.h"

#ifdef KX_BOUT_NAMES_LOCAL
#include <cstring>

BoutListEntry::BoutListEntry()
{
    memset(names, 0, sizeof names);
}

static BoutListEntry g_bouts[BOUT_LISTS];

BoutListEntry *get_bout_list(void)
{
    return g_bouts;
}

BoutListEntry *get_bout_entry(int i)
{
    return i >= 0 && i < BOUT_LISTS ? &g_bouts[i] : nullptr;
}
#endif
