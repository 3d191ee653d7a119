// Program entry. The window, main loop and renderer are not built yet: this
// entry says so plainly instead of pretending to start a game.
#include <clocale>
#include <cstdio>

int main(int, char **)
{
    setlocale(LC_CTYPE, "");
    fprintf(stderr, "Kaelmund: the game's window is not there yet; "
                    "the match runs headless in the tests (make test).\n");
    return 0;
}
