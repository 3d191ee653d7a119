// The one-line hardware report of the shader path's start-up, stored in
// data/stats.dat once per distinct line: version, renderer, platform, the
// three look options, then the probe's tags and the outcome.
#pragma once

enum { STATS_LINE_SIZE = 4096 };

// Starts the line: "STAT_GRF 0;KX<version>,<renderer>,LINUX,REFn,FLDn,SFTn"
// from the reflection, fluid and softshadow options.
void build_stats_line(const char *renderer);
// Appends a tag such as ",NOOGL20" or ",SUCCESS\n" (cut at the line's size).
void stats_line_append(const char *tag);
const char *stats_line(void);
// Appends the line to the file unless a line of the file equals it (line
// end included). 0 when the file holds the line afterwards, 1 when it
// could not be written.
int write_stats_line_to(const char *path);
// The same for data/stats.dat.
int write_stats_line(void);
