// The chat lines as UTF-8 text, for the chat, console, script and server-line
// tests.
#pragma once
#include <string>
#include "app/base/text_encoding.h"
#include "gui/services/chat_log.h"

// Line i of a tab, or "<none>".
inline std::string chat_text(int tab, int i)
{
    ChatLine line;
    if (chat_line_copy(tab, i, &line) != 0)
        return "<none>";
    char buf[CHAT_LINE_UNITS * 3];
    utf16_to_local(buf, line.text, (int)sizeof buf - 1);
    return buf;
}
