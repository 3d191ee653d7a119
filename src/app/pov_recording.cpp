#include "app/pov_recording.h"

#include <cstdio>
#include <cstring>

#include "app/base/message_type.h"
#include "app/base/text.h"
#include "app/camera.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "render/pov_export.h"

namespace {

const char k_animation_path[] = "raytrace/animation.pov";

int g_recording;
int g_frames;

void camera_for_scene(float eye[3], float look[3])
{
    memcpy(eye, get_camera_pos(), 3 * sizeof(float));
    memcpy(look, get_camera_lookat(), 3 * sizeof(float));
}

// A still scene at path or, when a file the player kept has that name, at
// the first free name beside it.
int save_scene_new(const char *path, char *saved, int size)
{
    if (pov_free_name(path, saved, size) != 0)
        return 1;
    return pov_save_scene(saved);
}

} // namespace

void pov_recording_install(void)
{
    pov_set_camera_source(camera_for_scene);
    console_set_scene_writer(save_scene_new);
}

int pov_recording_toggle(void)
{
    if (g_recording) {
        g_recording = 0;
        // Said once the file is in place: a reader of the message finds it.
        if (pov_close_animation() != 0)
            console_echo("Unable to write the animation file", MSG_INGAME);
        else
            console_echo(va_format("Wrote %i animation frames", g_frames), MSG_INGAME);
        return 0;
    }
    g_frames = 0;
    char path[256];
    if (pov_free_name(k_animation_path, path, (int)sizeof path) != 0 || pov_open_animation(path) != 0) {
        console_echo(va_format("Unable to open %s", k_animation_path), MSG_INGAME);
        return 0;
    }
    g_recording = 1;
    console_echo(va_format("Saving frames to %s. Hit ctrl-F7 to stop.", path), MSG_INGAME);
    return 1;
}

void pov_recording_frame(void)
{
    if (!g_recording)
        return;
    g_frames++;
    pov_write_animation_frame(g_frames);
}

void pov_recording_stop(void)
{
    if (g_recording)
        pov_recording_toggle();
}

int pov_recording_on(void) { return g_recording; }
int pov_recording_frames(void) { return g_frames; }

int pov_save_screenshot_scene(const char *image_path, char *saved, int size)
{
    if (!image_path)
        return 1;
    const char *slash = strrchr(image_path, '/');
    const char *base = slash ? slash + 1 : image_path;
    const char *dot = strrchr(base, '.');
    const int stem = dot && dot != base ? (int)(dot - base) : (int)strlen(base);
    char path[512];
    const int n = snprintf(path, sizeof path, "raytrace/%.*s.pov", stem, base);
    if (n < 0 || n >= (int)sizeof path)
        return 1;
    return save_scene_new(path, saved, size);
}
