#include "app/key_help.h"

#include <cstring>

#include "app/key_bindings.h"

const KeyHelpRow key_help_rows[] = {
    {"Z", KEY_Z, 0, 0, "selected joint: forward, or back when it is forward"},
    {"X", KEY_X, 0, 0, "selected joint: hold, or relax when it holds"},
    {"C", KEY_C, 0, 0, "every joint of the fighter: relax when one holds, else hold"},
    {"L", KEY_L, 0, 0, "grip or let go with the hand of the selected wrist"},
    {"Space", KEY_SPACE, 0, 0, "commit the turn; during the replay that follows a match (or any replay), start a new match"},
    {"Shift+P", KEY_P, MOD_LSHIFT, 0, "commit the turn"},
    {"P", KEY_P, 0, 0, "pause or resume the turn or the replay"},
    {"G", KEY_G, 0, 0, "ghost preview of the selected fighter on or off"},
    {"B", KEY_B, 0, 0, "ghost preview of every fighter on or off"},
    {"R", KEY_R, 0, 0, "replay the match from its first frame"},
    {"E", KEY_E, 0, 0, "stop a replay here and play on from this frame; in a match, end the running turn here (not in the free cameras)"},
    {"Ctrl+N", KEY_N, MOD_LCTRL, 0, "a new game"},
    {"Ctrl+]", KEY_RIGHTBRACKET, MOD_LCTRL, 0, "the next replay of the replay folder"},
    {"Ctrl+[", KEY_LEFTBRACKET, MOD_LCTRL, 0, "the previous replay"},
    {"W", KEY_W, 0, 0,
     "held: the camera closer (S farther), Shift+W and Shift+S raise and lower it; in the free cameras "
     "forward and back, with Shift tilt (Up and Down, keypad 8 and 2 likewise)"},
    {"A", KEY_A, 0, 0,
     "held: the camera turns (D the other way), with Shift at half speed; in the free cameras sideways, "
     "with Shift turn (Left and Right, keypad 4 and 6 likewise)"},
    {"Q", KEY_Q, 0, 0,
     "held, in the free cameras: down (E up); the orbiting camera's Shift+Q and Shift+E go closer and "
     "farther"},
    {"Alt", KEY_LALT, 0, 0, "held: the mouse turns the camera"},
    {"1", KEY_1, 0, 0, "default camera"},
    {"2", KEY_2, 0, 0, "free camera (Shift+2: orbiting camera)"},
    {"3", KEY_3, 0, 0, "camera of the first fighter"},
    {"4", KEY_4, 0, 0, "camera of the second fighter"},
    {"5", KEY_5, 0, 0, "play the camera keyframes, or stop them"},
    {"I", KEY_I, 0, 0, "clear the camera keyframes and record new ones on the next replay"},
    {"K", KEY_K, 0, 0, "store a camera keyframe at this frame (Shift+K: clear them)"},
    {"F8", KEY_F8, 0, 0, "screenshot into screenshots/ and the scene into raytrace/"},
    {"Ctrl+F7", KEY_F7, MOD_LCTRL, 1, "start or stop saving every frame's scene into raytrace/"},
    {"Ctrl+Return", KEY_RETURN, MOD_LCTRL, 1, "full screen on or off"},
    {"T", KEY_T, 0, 0, "type a chat line"},
    {"Return", KEY_RETURN, 0, 0, "type a chat line; send it"},
    {"/", KEY_SLASH, 0, 0, "type a console command (/quit ends the game)"},
    {"Tab", KEY_TAB, 0, 0, "show 20 chat lines or 5"},
    {"Page Up", KEY_PAGEUP, 0, 0, "scroll the chat up (Page Down, Home, End likewise)"},
    {"Escape", KEY_ESCAPE, 0, 0, "close the chat line or the menu"},
    {"F", KEY_F, 0, 0, "the Setup window"},
    {"Ctrl+M", KEY_M, MOD_LCTRL, 0, "the main menu"},
    {"Ctrl+H", KEY_H, MOD_LCTRL, 0, "the help window"},
    {"Ctrl+G", KEY_G, MOD_LCTRL, 0, "the ghost settings"},
    {"Ctrl+J", KEY_J, MOD_LCTRL, 0, "the replays window"},
    {"Ctrl+L", KEY_L, MOD_LCTRL, 0, "the FlameForge window (the flame editor)"},
    {nullptr, 0, 0, 0, nullptr},
};

const KeyHelpRow *find_key_help(const char *name)
{
    for (const KeyHelpRow *r = key_help_rows; r->name; r++)
        if (name && strcmp(r->name, name) == 0)
            return r;
    return nullptr;
}
