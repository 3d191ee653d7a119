#include "app/base/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/number_text.h"

static CommandLineNames g_names;

CommandLineNames *get_command_line_names(void) { return &g_names; }

static int ends_with(const char *arg, const char *suffix)
{
    size_t n = strlen(arg), s = strlen(suffix);
    return n > s && strcmp(arg + n - s, suffix) == 0;
}

// Copies a file name argument; one too long for the buffer is refused
// rather than cut into the name of some other file.
static int take_name(char *dst, const char *arg, const char *what)
{
    if (strlen(arg) >= CMDLINE_NAME_SIZE) {
        fprintf(stderr, "Ignoring %s name longer than %d characters\n", what, CMDLINE_NAME_SIZE - 1);
        return 0;
    }
    n_strncpyz(dst, arg, CMDLINE_NAME_SIZE);
    return 1;
}

// Width and height outside what the window can take keep their value.
static int value_in_limits(int row, int value)
{
    if (row == OPT_WIDTH && (value < OPTION_WIDTH_MIN || value > OPTION_SIZE_MAX)) {
        fprintf(stderr, "Ignoring -width %d: the width must be %d to %d\n", value,
                OPTION_WIDTH_MIN, OPTION_SIZE_MAX);
        return 0;
    }
    if (row == OPT_HEIGHT && (value < OPTION_HEIGHT_MIN || value > OPTION_SIZE_MAX)) {
        fprintf(stderr, "Ignoring -height %d: the height must be %d to %d\n", value,
                OPTION_HEIGHT_MIN, OPTION_SIZE_MAX);
        return 0;
    }
    return 1;
}

// The options the command line named, for the settings a later step would
// otherwise choose on its own.
static unsigned char g_given[OPTION_COUNT];

int option_given_on_command_line(int row) { return row >= 0 && row < OPTION_COUNT && g_given[row]; }

void read_command_line(int argc, char **argv)
{
    memset(&g_names, 0, sizeof g_names);
    memset(g_given, 0, sizeof g_given);
    OptionRow *rows = option_table();
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (!arg)
            continue;
        if (ends_with(arg, ".rpl")) {
            g_names.replay_count++;
            take_name(g_names.replay, arg, "replay");
            continue;
        }
        if (ends_with(arg, ".kxm")) {
            g_names.mod_count++;
            fprintf(stderr, "Using mod %s\n", arg);
            take_name(g_names.mod, arg, "mod");
            continue;
        }
        if (strcmp(arg, "-help") == 0 || strcmp(arg, "-h") == 0)
            print_usage();
        if (!arg[0])
            continue;
        // The first character is not tested: "xdebug" works as "-debug".
        // A value is taken from the next argument, which is then examined
        // as an argument of its own (a number matches no option).
        for (int row = 0; rows[row].name; row++) {
            if (strcmp(arg + 1, rows[row].name) != 0)
                continue;
            if (row < OPTION_COUNT)
                g_given[row] = 1;
            if (!rows[row].takes_value) {
                rows[row].value++;
            } else if (i + 1 < argc && argv[i + 1]) {
                int value = text_to_int32(argv[i + 1]);
                if (value_in_limits(row, value))
                    rows[row].value = value;
            }
        }
    }
}
