// Program entry: the locale, the user folder, SIGTERM as a quit request,
// then the program's life from start-up to shutdown around the window.
#include <clocale>
#include <csignal>

#include "app/base/data_dirs.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "app/window_sdl.h"

static void on_sigterm(int) { quit_request_from_signal(); }

int main(int argc, char **argv)
{
    setlocale(LC_CTYPE, "");
    struct sigaction sa = {};
    sa.sa_handler = on_sigterm;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    data_dirs_init();
    return program_startup(argc, argv, run_window);
}
