#include "render/hardware_report.h"

#include <cstdio>
#include <cstring>

#include "app/base/data_dirs.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"

typedef char StatsLine[STATS_LINE_SIZE];
static StatsLine g_line;

void build_stats_line(const char *renderer)
{
    snprintf(g_line, sizeof g_line, "STAT_GRF 0;KX%s,%s,LINUX,REF%d,FLD%d,SFT%d", "3.9-alpha2",
             renderer ? renderer : "", option_get(OPT_REFLECTION) ? 1 : 0, option_get(OPT_FLUID) ? 1 : 0,
             option_get(OPT_SOFTSHADOW) ? 1 : 0);
}

void stats_line_append(const char *tag)
{
    const size_t used = strlen(g_line);
    n_strncpyz(g_line + used, tag ? tag : "", (int)(sizeof g_line - used));
}

const char *stats_line(void) { return g_line; }

int write_stats_line_to(const char *path)
{
    if (FILE *in = fopen_regular(path, "r")) {
        char line[STATS_LINE_SIZE + 2];
        bool found = false;
        while (!found && fgets(line, sizeof line, in))
            found = strcmp(line, g_line) == 0;
        fclose(in);
        if (found)
            return 0;
    }
    FILE *out = fopen_append_regular(path);
    if (!out)
        return 1;
    const bool ok = fprintf(out, "%s", g_line) >= 0;
    return fclose(out) == 0 && ok ? 0 : 1;
}

int write_stats_line(void) { return write_stats_line_to(data_path("data/stats.dat")); }
