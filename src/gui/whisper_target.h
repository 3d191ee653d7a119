// The name the next whisper goes to.
#pragma once

enum { WHISPER_TARGET_CHARS = 32 };

// Keeps up to 32 characters of the text (null clears it).
void set_whisper_target(const char *text);
// The target, "" when none.
const char *get_whisper_target(void);
