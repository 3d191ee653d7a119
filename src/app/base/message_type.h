// The kind of an echoed message: a bit set that picks the line's colour.
#pragma once
#include <cstdint>

typedef int32_t MessageType;

enum {
    MSG_NOTYPE = 0,
    MSG_SERVER = 1,
    MSG_URL = 2,
    MSG_INGAME = 4,
    MSG_USER = 8,
    MSG_PLAYER = 16,
    MSG_WHISPER = 32,
};
