// Reading the command line into the option table: replay (".rpl") and mod
// (".kxm") arguments, "-help"/"-h", option flags and option values.
#pragma once

enum { CMDLINE_NAME_SIZE = 256 };

struct CommandLineNames {
    char replay[CMDLINE_NAME_SIZE];   // the last ".rpl" argument
    int replay_count;
    char mod[CMDLINE_NAME_SIZE];      // the last ".kxm" argument
    int mod_count;
};

// The names the command line gave (read by the start of play and by
// options_load).
CommandLineNames *get_command_line_names(void);

// Empties the names and forgets the options named before, then reads argv[1..argc-1]. "-help" or "-h" prints the
// usage and ends the process with status 1.
void read_command_line(int argc, char **argv);
// 1 when the command line named option row (a flag or a value).
int option_given_on_command_line(int row);
