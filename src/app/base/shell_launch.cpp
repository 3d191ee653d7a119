#include "app/base/shell_launch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

enum { SHELL_NULL_TARGET = 3, SHELL_REFUSED = 5, SHELL_NOT_STARTED = 2, SHELL_OK = 42 };

static LeaveFullscreenFn g_leave_fullscreen;

void shell_set_leave_fullscreen(LeaveFullscreenFn fn)
{
    g_leave_fullscreen = fn;
}

int shell_open_url(const char *target, int)
{
    if (g_leave_fullscreen)
        g_leave_fullscreen();
    if (!target)
        return SHELL_NULL_TARGET;
    if (target[0] == '\0' || target[0] == '-') {
        fprintf(stderr, "Refusing to open \"%s\"\n", target);
        return SHELL_REFUSED;
    }
    // The grandchild runs xdg-open and is adopted by init, so nothing is
    // left to reap; it reports a failed exec through a close-on-exec pipe.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        fprintf(stderr, "Unable to start xdg-open: %s\n", strerror(errno));
        return SHELL_NOT_STARTED;
    }
    pid_t child = fork();
    if (child < 0) {
        fprintf(stderr, "Unable to start xdg-open: %s\n", strerror(errno));
        close(fds[0]);
        close(fds[1]);
        return SHELL_NOT_STARTED;
    }
    if (child == 0) {
        close(fds[0]);
        pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            execlp("xdg-open", "xdg-open", target, (char *)nullptr);
            int err = errno;
            ssize_t w = write(fds[1], &err, sizeof err);
            (void)w;
            _exit(127);
        }
        if (grandchild < 0) {
            int err = errno;
            ssize_t w = write(fds[1], &err, sizeof err);
            (void)w;
        }
        _exit(0);
    }
    close(fds[1]);
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    while ((n = read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    close(fds[0]);
    if (n > 0) {
        fprintf(stderr, "Unable to start xdg-open: %s\n", strerror(err));
        return SHELL_NOT_STARTED;
    }
    return SHELL_OK;
}
