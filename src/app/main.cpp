// Program entry. It settles the working folder and the user folder and reads
// the command line (so "-h" lists every option). The window, main loop and
// renderer are not built yet: the entry says so plainly instead of pretending
// to start a game.
#include <clocale>
#include <cstdio>

#include "app/base/command_line.h"
#include "app/base/data_dirs.h"
#include "app/services/services_callbacks.h"
#include "game/protocol/protocol_callbacks.h"
#include "render/render_callbacks.h"

int main(int argc, char **argv)
{
    setlocale(LC_CTYPE, "");
    if (chdir_to_exe_dir(nullptr) != 0)
        return 1;
    data_dirs_init();
    read_command_line(argc, argv);
    protocol_install_callbacks();
    services_install_callbacks();
    render_install_callbacks();
    fprintf(stderr, "Kaelmund: the game's window is not there yet; "
                    "the match runs headless in the tests (make test).\n");
    return 0;
}
