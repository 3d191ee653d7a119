// The heads-up display over the scene, in 2D: the fighters' names and
// scores, the frame and turn counters, the replay title, the chat lines of
// the current tab and the centre print.
#pragma once

void draw_hud(int width, int height);
// The centre-print lines while they last, centred in the window.
void centerprint_draw(void);
// How the HUD learns whether the game server is connected ("Not
// Connected" in a network game otherwise); none: not connected.
void hud_set_connection_probe(int (*connected)(void));
