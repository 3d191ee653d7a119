#include "gui/whisper_target.h"

#include "gui/utf16_text.h"

static char whisper_target[WHISPER_TARGET_CHARS + 1];

void set_whisper_target(const char *text)
{
    gui_utf8_copy(whisper_target, sizeof whisper_target, text);
}

const char *get_whisper_target(void)
{
    return whisper_target;
}
