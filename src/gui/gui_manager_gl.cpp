#include "gui/gui_manager_gl.h"

#include <GL/glew.h>
#include <guichan.hpp>
#include <guichan/opengl.hpp>
#include <guichan/sdl.hpp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/base/message_type.h"
#include "app/base/text_encoding.h"
#include "gui/services/chat_log.h"
#include "gui/services/console_commands.h"
#include "gui/services/history.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"

namespace {

GuiManager *g_gui;

enum { MENU_CHAT = 27, DISPLAY_COUNT = 32 };

// The guichan font over the TrueType layer (font 1, with markup).
class KXFont : public gcn::Font {
public:
    int getWidth(const std::string &text) const override { return text_width(FONT_NORMAL, text.c_str()); }
    int getHeight() const override { return font_height(FONT_NORMAL); }
    void drawString(gcn::Graphics *g, const std::string &text, int x, int y) override
    {
        const gcn::ClipRectangle &clip = g->getCurrentClipArea();
        const gcn::Color &c = g->getColor();
        const float rgba[4] = {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f};
        draw_text(FONT_NORMAL, text.c_str(), (float)(x + clip.xOffset), (float)(y + clip.yOffset), rgba);
    }
};

// The numbered displays the menu states show: state, display number, title
// and text. Each is a small window with a close button.
struct DisplayRow {
    int state;
    int display;
    const char *title;
    const char *text;
};

const DisplayRow k_displays[] = {
    {3, 3, "Main Menu", "Ctrl+N new game, Ctrl+] next replay, Ctrl+[ previous replay"},
    {4, 4, "Help", "Click a joint, Z/X change it, Space commits the turn"},
    {5, 5, "Replays", "Ctrl+] and Ctrl+[ browse the replay folder"},
    {6, 6, "Setup", "Settings are kept in default.cfg"},
    {13, 13, "Ghost Settings", "G changes the ghost preview"},
    {15, 15, "Welcome back", "Press Escape to play"},
    {28, 28, "Welcome", "Press Escape to play"},
    {MENU_FLAME_FORGE, MENU_FLAME_FORGE, "FlameForge", "Flame name:"},
};

class CloseAction : public gcn::ActionListener {
public:
    void action(const gcn::ActionEvent &) override { menu_back(); }
};

class ChatSubmit : public gcn::ActionListener, public gcn::KeyListener {
public:
    explicit ChatSubmit(gcn::TextField *field) : field_(field) {}
    void action(const gcn::ActionEvent &) override
    {
        const std::string text = field_->getText();
        field_->setText("");
        chat_input_submit(text.c_str());
    }
    void keyPressed(gcn::KeyEvent &e) override
    {
        if (e.getKey().getValue() == gcn::Key::ESCAPE) {
            field_->setText("");
            menu_set_state(0);
            e.consume();
        }
    }

private:
    gcn::TextField *field_;
};

// Escape in a text field of a window leaves the window.
class FieldEscape : public gcn::KeyListener {
public:
    void keyPressed(gcn::KeyEvent &e) override
    {
        if (e.getKey().getValue() == gcn::Key::ESCAPE) {
            menu_back();
            e.consume();
        }
    }
};

} // namespace

struct GuiManager::Impl {
    gcn::SDLInput input;
    gcn::OpenGLGraphics graphics;
    KXFont font;
    gcn::Gui gui;
    gcn::Container top;
    gcn::TextField chat;
    ChatSubmit chat_listener{&chat};
    CloseAction close;
    gcn::TextField forge_name;
    FieldEscape forge_escape;
    std::vector<std::unique_ptr<gcn::Window>> windows;
    std::vector<std::unique_ptr<gcn::Widget>> parts;
    int hidden[DISPLAY_COUNT + 1] = {0};
    int shown_state = -1;
};

GuiManager::GuiManager(int width, int height) : impl_(new Impl)
{
    Impl &m = *impl_;
    m.graphics.setTargetPlane(width, height);
    gcn::Widget::setGlobalFont(&m.font);
    m.gui.setGraphics(&m.graphics);
    m.gui.setInput(&m.input);
    m.top.setDimension(gcn::Rectangle(0, 0, width, height));
    m.top.setOpaque(false);
    m.gui.setTop(&m.top);

    m.chat.setSize(width - 16, m.font.getHeight() + 4);
    m.chat.setPosition(8, height - m.font.getHeight() - 12);
    m.chat.addActionListener(&m.chat_listener);
    m.chat.addKeyListener(&m.chat_listener);
    // Tab belongs to the game's key handler (more or fewer chat lines):
    // the input line keeps the focus.
    m.chat.setTabOutEnabled(false);
    m.chat.setVisible(false);
    m.top.add(&m.chat);

    for (const DisplayRow &row : k_displays) {
        auto w = std::make_unique<gcn::Window>(row.title);
        auto label = std::make_unique<gcn::Label>(row.text);
        auto button = std::make_unique<gcn::Button>("Close");
        button->addActionListener(&m.close);
        w->add(label.get(), 8, 8);
        int below = 16 + m.font.getHeight();
        if (row.display == MENU_FLAME_FORGE) {
            m.forge_name.setSize(240, m.font.getHeight() + 4);
            m.forge_name.addKeyListener(&m.forge_escape);
            w->add(&m.forge_name, 8, below);
            below += m.font.getHeight() + 12;
        }
        w->add(button.get(), 8, below);
        w->resizeToContent();
        w->setWidth(w->getWidth() + 16);
        w->setPosition((width - w->getWidth()) / 2, (height - w->getHeight()) / 3);
        w->setVisible(false);
        m.top.add(w.get());
        m.parts.push_back(std::move(label));
        m.parts.push_back(std::move(button));
        m.windows.push_back(std::move(w));
    }
}

GuiManager::~GuiManager()
{
    impl_->top.clear();
    gcn::Widget::setGlobalFont(nullptr);
    delete impl_;
}

// Shows the windows and the chat input of the current menu state.
static void sync_state(GuiManager::Impl &m);

void GuiManager::frame()
{
    Impl &m = *impl_;
    sync_state(m);
    try {
        m.gui.logic();
        m.gui.draw();
    } catch (const gcn::Exception &e) {
        fprintf(stderr, "GUI: %s\n", e.getMessage().c_str());
    }
    set_ui_mode(m.forge_name.isVisible() && m.forge_name.isFocused());
}

void GuiManager::pushInput(const SDL_Event &event)
{
    // Each event is dispatched at once, to the widgets of the menu state as
    // it is when the event comes.
    Impl &m = *impl_;
    sync_state(m);
    try {
        m.input.pushInput(event);
        m.gui.logic();
    } catch (const gcn::Exception &e) {
        fprintf(stderr, "GUI: %s\n", e.getMessage().c_str());
    }
    sync_state(m);
    set_ui_mode(m.forge_name.isVisible() && m.forge_name.isFocused());
}

void GuiManager::hideChatInput()
{
    if (impl_->chat.isVisible() && get_menu_mode() == MENU_CHAT)
        menu_set_state(0);
}

void GuiManager::submitChatInput()
{
    if (get_menu_mode() != MENU_CHAT)
        return;
    const std::string text = impl_->chat.getText();
    impl_->chat.setText("");
    chat_input_submit(text.c_str());
}

void GuiManager::hideDisplay(int n)
{
    if (n < 1 || n > DISPLAY_COUNT) {
        fprintf(stderr, "no such display %i\n", n);
        return;
    }
    impl_->hidden[n] = 1;
    for (size_t i = 0; i < impl_->windows.size(); i++)
        if (k_displays[i].display == n)
            impl_->windows[i]->setVisible(false);
}

static void sync_state(GuiManager::Impl &m)
{
    const int state = get_menu_mode();
    if (state == m.shown_state)
        return;
    for (size_t i = 0; i < m.windows.size(); i++)
        m.windows[i]->setVisible(k_displays[i].state == state && !m.hidden[k_displays[i].display]);
    const bool chat = state == MENU_CHAT;
    m.chat.setVisible(chat);
    char prefill[CHAT_PREFILL_MAX];
    if (chat && chat_input_take_prefill(prefill, (int)sizeof prefill) == 0) {
        m.chat.setText(prefill);
        m.chat.setCaretPosition((unsigned)strlen(prefill));
    }
    if (chat)
        m.chat.requestFocus();
    else if (state == MENU_FLAME_FORGE)
        m.forge_name.requestFocus();
    else if (m.chat.isFocused() || m.forge_name.isFocused())
        m.top._getFocusHandler()->focusNone();
    m.shown_state = state;
    for (int &h : m.hidden)
        h = 0;
}

GuiManager *get_gui_manager(void) { return g_gui; }
void set_gui_manager(GuiManager *gui) { g_gui = gui; }

void chat_input_submit(const char *utf8)
{
    const int n = (int)strlen(utf8);
    if (n > 0) {
        std::vector<uint16_t> wide((size_t)n + 1);
        utf8_to_ucs2(wide.data(), utf8, n);
        if (wide.size() > HISTORY_LINE_UNITS)
            wide[HISTORY_LINE_UNITS - 1] = 0;
        history_add(wide.data());
        // A line starting with '/' is a console command; anything else is
        // said in the chat.
        if (utf8[0] != '/')
            console_echo(utf8, MSG_USER);
        else if (run_command(utf8) != 0)
            console_echo("Unknown command", MSG_INGAME);
    }
    menu_set_state(0);
}
