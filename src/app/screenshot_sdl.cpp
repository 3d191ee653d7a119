#include "app/screenshot_sdl.h"

#include <GL/glew.h>
#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <vector>

#include "app/base/data_dirs.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "app/pov_recording.h"
#include "gui/services/chat_log.h"

static char g_pending[SCREENSHOT_NAME_SIZE];

// The frame as RGB rows from the top of the window down.
static std::vector<unsigned char> read_frame(int w, int h)
{
    std::vector<unsigned char> rows((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::vector<unsigned char> top((size_t)w * h * 3);
    for (int y = 0; y < h; y++)
        memcpy(&top[(size_t)y * w * 3], &rows[(size_t)(h - 1 - y) * w * 3], (size_t)w * 3);
    return top;
}

static void make_parent(const char *path)
{
    char dir[256];
    n_strncpyz(dir, path, (int)sizeof dir);
    char *slash = strrchr(dir, '/');
    if (!slash)
        return;
    *slash = '\0';
    if (mkdir(data_path(dir), 0755) != 0 && errno != EEXIST)
        fprintf(stderr, "Unable to make folder %s: %s\n", dir, strerror(errno));
}

// SDL writes the picture into our stream, so that the file goes through the
// temporary name, the sync and the no-replace rename like every file we
// write.
int save_bmp(const char *path, char *final_name, int size)
{
    if (final_name && size > 0)
        final_name[0] = '\0';
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    if (!s)
        return 1;
    std::vector<unsigned char> rgb = read_frame(w, h);
    SDL_LockSurface(s);
    for (int y = 0; y < h; y++)
        memcpy((unsigned char *)s->pixels + (size_t)y * s->pitch, &rgb[(size_t)y * w * 3], (size_t)w * 3);
    SDL_UnlockSurface(s);
    make_parent(path);
    FILE *f = replace_file_open(data_path(path));
    if (!f) {
        fprintf(stderr, "cannot open %s for writing\n", path);
        SDL_FreeSurface(s);
        return 1;
    }
    SDL_RWops *rw = SDL_RWFromFP(f, 0);
    const int r = rw ? SDL_SaveBMP_RW(s, rw, 1) : -1;
    SDL_FreeSurface(s);
    if (r != 0) {
        fprintf(stderr, "cannot write %s: %s\n", path, SDL_GetError());
        replace_file_discard(f, data_path(path));
        return 1;
    }
    if (new_file_commit(f, data_path(path), final_name, size) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int save_ppm(const char *path, char *final_name, int size)
{
    if (final_name && size > 0)
        final_name[0] = '\0';
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    std::vector<unsigned char> rgb = read_frame(w, h);
    make_parent(path);
    FILE *f = replace_file_open(data_path(path));
    if (!f) {
        fprintf(stderr, "cannot open %s for writing\n", path);
        return 1;
    }
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    fwrite(rgb.data(), 1, rgb.size(), f);
    if (new_file_commit(f, data_path(path), final_name, size) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int save_screenshot_as(const char *path, int format, char *final_name, int size)
{
    if (format == 0)
        return save_bmp(path, final_name, size);
    if (format == 1)
        return save_ppm(path, final_name, size);
    return -1;
}

void take_screenshot(void)
{
    const time_t t = time(nullptr);
    struct tm tm;
    localtime_r(&t, &tm);
    snprintf(g_pending, sizeof g_pending, "screenshots/screenshot-%04i-%02i-%02i-%02i-%02i-%02i.bmp",
             tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

void screenshot_flush(void)
{
    if (!g_pending[0])
        return;
    char written[SCREENSHOT_NAME_SIZE];
    if (save_bmp(g_pending, written, sizeof written) == 0) {
        // The scene of the same moment, named after the picture as written.
        char scene[512];
        if (pov_save_screenshot_scene(written, scene, (int)sizeof scene) == 0)
            console_echo(va_format("Wrote %s %s", written, scene), MSG_INGAME);
        else
            console_echo(va_format("Wrote %s (unable to write its scene)", written), MSG_INGAME);
    } else {
        console_echo(va_format("Unable to write %s", g_pending), MSG_INGAME);
    }
    g_pending[0] = '\0';
}
