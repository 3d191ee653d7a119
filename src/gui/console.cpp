// Minimal console: until the chat log exists, messages go to standard error.
#include "gui/console.h"
#include <cstdio>

void console_echo(const char *text, int type)
{
    fprintf(stderr, "[%d] %s\n", type, text ? text : "");
}
