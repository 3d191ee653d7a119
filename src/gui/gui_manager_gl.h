// Owner of the GUI on guichan with its SDL input and OpenGL graphics back
// ends: the font adapter over the TrueType layer, the top container, the
// chat input line and one window per numbered menu display. Made after the
// window opens and again after every video reset.
#pragma once
#include <SDL.h>

class GuiManager {
public:
    GuiManager(int width, int height);
    ~GuiManager();
    GuiManager(const GuiManager &) = delete;
    GuiManager &operator=(const GuiManager &) = delete;
    // The GUI's logic and drawing for one frame.
    void frame();
    void pushInput(const SDL_Event &event);
    void hideChatInput();
    // Sends what the chat input holds (Return released in the chat input).
    void submitChatInput();
    // Hides display n (1..32); "no such display %i\n" for another number.
    void hideDisplay(int n);
    struct Impl;

private:
    Impl *impl_;
};

GuiManager *get_gui_manager(void);
void set_gui_manager(GuiManager *gui);
// Sends the chat input line (a console command when it starts with '/'),
// keeps it in the history and goes back to the game.
void chat_input_submit(const char *utf8);
