// Start-up to the first displayed frame of the game, beside a bare SDL 1.2
// program that opens an OpenGL window of the same size and clears it once.
// Both run as fresh processes in the same run of this tool, one after the
// other, several times; the medians and their ratio are printed.
//   kx_startup_bench [runs]        (needs a display)
#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

static int bare_window(void)
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(960, 540, 0, SDL_OPENGL | SDL_HWSURFACE))
        return 1;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    printf("first frame\n");
    fflush(stdout);
    SDL_Delay(200);
    SDL_Quit();
    return 0;
}

// Milliseconds from the start of the process until it reports its first
// frame on standard output; -1 when it does not.
static double time_to_first_frame(std::vector<std::string> argv, const char *dir)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (std::string &a : argv)
        args.push_back(&a[0]);
    args.push_back(nullptr);
    const std::string old = get_current_dir_name();
    if (dir && chdir(dir) != 0)
        return -1;
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid;
    const int r = posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ);
    if (dir && chdir(old.c_str()) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    if (r != 0) {
        close(fds[0]);
        return -1;
    }
    std::string out;
    char buf[256];
    ssize_t n;
    double ms = -1;
    struct pollfd pfd = {fds[0], POLLIN, 0};
    while (poll(&pfd, 1, 30000) == 1 && (n = read(fds[0], buf, sizeof buf)) > 0) {
        out.append(buf, (size_t)n);
        if (out.find("first frame\n") != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            break;
        }
    }
    close(fds[0]);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return ms;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "--bare") == 0)
        return bare_window();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    char self[4096];
    const ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0)
        return 1;
    self[len] = '\0';
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<double> bare, game;
    for (int i = 0; i < runs; i++) {
        bare.push_back(time_to_first_frame({self, "--bare"}, nullptr));
        game.push_back(time_to_first_frame({std::string(KX_RUN_DIR) + "/kaelmund", "-benchmark", "1"}, KX_RUN_DIR));
    }
    const double b = median(bare), g = median(game);
    if (b <= 0 || g <= 0) {
        fprintf(stderr, "a program did not report its first frame\n");
        return 1;
    }
    printf("first displayed frame, median of %d runs: bare SDL window %.1f ms, game %.1f ms, ratio %.2f\n",
           runs, b, g, g / b);
    return 0;
}
