// Minimal customisation records: the blood colour only, all defaults.
#include "net/custom_record.h"

static CustomRecord g_customs[4];

CustomRecord *get_custom_record(int i)
{
    return (i >= 0 && i < 4) ? &g_customs[i] : nullptr;
}
