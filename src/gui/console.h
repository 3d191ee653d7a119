// The console and chat log as the game core sees it.
#pragma once

// Puts one message line of a MessageType (1 server, 2 URL, 4 in-game, 8 user,
// 16 player, 32 whisper) into the current chat tab.
void console_echo(const char *text, int type);
