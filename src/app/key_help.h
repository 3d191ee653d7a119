// The keys the game binds, a row each: the name the player reads (as the
// README's "How to play" table gives it), the key symbol and modifiers, and
// what it does. Keys the window itself takes (full screen, the animation)
// are marked.
#pragma once

struct KeyHelpRow {
    const char *name;     // "Z", "Shift+P", "Ctrl+]", "Page Up"
    int sym;              // KeySym
    int mods;             // KeyMod bits held
    int window;           // 1: taken by the window before the game sees it
    const char *what;
};

// The rows, ended by a row whose name is null.
extern const KeyHelpRow key_help_rows[];
const KeyHelpRow *find_key_help(const char *name);
