// The heads-up display over the scene, in 2D: the fighters' names and
// scores, the frame and turn counters, the replay title, the chat lines of
// the current tab and the centre print.
#pragma once

void draw_hud(int width, int height);
