#include "app/window_sdl.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_ttf.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/command_line.h"
#include "app/base/options.h"
#include "app/base/utils.h"
#include "app/camera.h"
#include "app/base/shell_launch.h"
#include "app/joystick_sdl.h"
#include "app/key_bindings.h"
#include "app/pov_recording.h"
#include "app/quit_watchdog.h"
#include "app/scene_gl.h"
#include "app/screenshot_sdl.h"
#include "app/services/settings.h"
#include "app/services/settings_io.h"
#include "app/services/sound.h"
#include "app/sound_mixer_sdl.h"
#include "app/turn_alert_sdl.h"
#include "app/window_events_sdl.h"
#include "app/window_hooks.h"
#include "game/game_resets.h"
#include "game/turn_control.h"
#include "gui/boxed_text_gl.h"
#include "gui/chat_view.h"
#include "gui/gui_manager_gl.h"
#include "gui/hud_gl.h"
#include "gui/menu_overlay_gl.h"
#include "gui/truetype_font_gl.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "net/game_connection.h"
#include "net/records/custom_record.h"
#include "net/records/user_equipment.h"
#include "render/graphics_gl.h"
#include "render/world_shader.h"
#include "script/script_draw_functions.h"
#include "script/script_hooks.h"
#include "script/script_world_functions.h"
#include "particles/flames.h"

namespace {

void reset_video_mode(void);
void hide_display(int n);
void close_setup(void);
int g_pow2_targets;
int g_target_w, g_target_h;

SDL_Surface *g_screen;
int g_pending_reset, g_pending_w = 960, g_pending_h = 540;
int g_saved_w, g_saved_h, g_saved;
SDL_Cursor *g_cursors[2];
int g_cursor_kind = -1;
int g_mode_w, g_mode_h;     // the last mode that was set

const char *const k_arrow[2][19] = {
    {"X", "XX", "XXX", "XXXX", "XX.XX", "XX..XX", "XX...XX", "XX....XX", "XX.....XX",
     "XX......XX", "XX.......XX", "XX........XX", "XX........XXX", "XX......XXX", "XX....XXX",
     "XX..XXX", "XXXXX", "XXX", "X"},
    {".", "..", ".X.", ".XX.", ".XXX.", ".XXXX.", ".XXXXX.", ".XXXXXX.", ".XXXXXXX.",
     ".XXXXXXXX.", ".XXXXXXXXX.", ".XXXXXXXXXX.", ".XXXXXXXXXXX.", ".XXXXXXXXX.", ".XXXXXXX.",
     ".XXXXX.", ".XXX.", ".X.", "."},
};

SDL_Cursor *make_cursor(int kind)
{
    Uint8 data[4 * 32] = {0}, mask[4 * 32] = {0};
    for (int row = 0; row < 19; row++) {
        const char *line = k_arrow[kind][row];
        for (int col = 0; line[col] && col < 32; col++) {
            const int byte = row * 4 + col / 8, bit = 0x80 >> (col % 8);
            if (line[col] == 'X') {
                data[byte] |= bit;
                mask[byte] |= bit;
            } else if (line[col] == '.') {
                mask[byte] |= bit;
            }
        }
    }
    int hx = 0, hy = 0;
    sscanf("0,0", "%d,%d", &hx, &hy);
    return SDL_CreateCursor(data, mask, 32, 32, hx, hy);
}

uint32_t sdl_clock(void) { return SDL_GetTicks(); }

int clamp_size(int v, int lo) { return v < lo ? lo : v > OPTION_SIZE_MAX ? OPTION_SIZE_MAX : v; }

SDL_Surface *try_mode(int width, int height)
{
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, option_get(OPT_SHADERS) ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const int aa = option_get(OPT_ANTIALIASING) != 0;
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, aa);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, aa ? 4 : 0);
    const Uint32 flags = option_get(OPT_FULLSCREEN) ? (SDL_OPENGL | SDL_FULLSCREEN) : (SDL_OPENGL | SDL_HWSURFACE);
    SDL_Surface *s = SDL_SetVideoMode(width, height, 0, flags);
    if (!s && aa) {
        fprintf(stderr, "Unable to create OpenGL FSAA screen: %s\n", SDL_GetError());
        fprintf(stderr, "Trying without FSAA instead\n");
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
        s = SDL_SetVideoMode(width, height, 0, flags);
    }
    return s;
}

void init_glew(void)
{
    const GLenum err = glewInit();
    if (err != GLEW_OK)
        fprintf(stderr, "GLEW: %s\n", glewGetErrorString(err));
}

// Counts the displayed frame; every 100th the caption shows the frame rate.
void update_caption(void)
{
    char caption[192];
    if (caption_frame(SDL_GetTicks(), caption_version(), caption, (int)sizeof caption))
        SDL_WM_SetCaption(caption, nullptr);
}

void run_frame(MainLoopCallbacks *cb)
{
    setup_scene(option_get(OPT_WIDTH), option_get(OPT_HEIGHT), cb, 0);
    if (GuiManager *gui = get_gui_manager())
        gui->frame();
    joystick_draw_pointer_line();
    sync_ui_flag();
    screenshot_flush();
    SDL_GL_SwapBuffers();
    pov_recording_frame();
    // With -benchmark the first displayed frame is announced, so that the
    // start-up can be timed from outside.
    static int announced;
    if (!announced && option_get(OPT_BENCHMARK)) {
        announced = 1;
        printf("first frame\n");
        fflush(stdout);
    }
    update_caption();
    if (g_pending_reset) {
        option_set(OPT_WIDTH, g_pending_w);
        option_set(OPT_HEIGHT, g_pending_h);
        reset_video_mode();
        g_pending_reset = 0;
    }
}

// With the world stopped by a menu, only the menu is drawn.
void draw_menu_overlay(void)
{
    draw_menu_background();
    push_ortho();
    if (const MenuHook draw = menu_current_row()->draw2d)
        draw();
    update_cursor_shape();
    pop_ortho();
}

void make_gui(void)
{
    delete get_gui_manager();
    set_gui_manager(new GuiManager(option_get(OPT_WIDTH), option_get(OPT_HEIGHT)));
    menu_install_draw_hooks();
    menu_state_row(MENU_SETUP)->back = close_setup;
    set_hide_display_handler(hide_display);
}

void free_gui(void)
{
    delete get_gui_manager();
    set_gui_manager(nullptr);
}

void reset_video_mode(void)
{
    const int menu = get_menu_mode();
    if (menu)
        close_to_menu(menu);
    int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    if (option_get(OPT_FULLSCREEN) == 1) {
        if (!g_saved) {
            g_saved_w = w;
            g_saved_h = h;
            g_saved = 1;
        }
        SDL_Rect **modes = SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN);
        if (modes && modes != (SDL_Rect **)-1 && modes[0]) {
            int bw = modes[0]->w, bh = modes[0]->h;
            for (int i = 1; modes[i]; i++) {
                if (modes[i]->w >= w && modes[i]->w < bw) {
                    bw = modes[i]->w;
                    bh = modes[i]->h;
                }
            }
            w = bw;
            h = bh;
        }
    } else if (g_saved) {
        w = g_saved_w;
        h = g_saved_h;
        g_saved = 0;
    }
    // A new mode is a new GL context: the GUI and the glyph textures are
    // made again in it.
    free_gui();
    free_graphics();
    fonts_context_lost();
    set_video_mode(w, h);
    gl_init_state();
    init_graphics();
    apply_customs_all_players(0);    // the fighters' textures, in the new context
    make_gui();
    turn_alert_clear();
    if (menu)
        menu_set_state(menu);
    else
        show_hud();
    chat_video_reset(font_height(FONT_NORMAL), option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

static void load_equipment(void) { load_user_equipment(); }

// A finished download of customisations: every fighter's textures again,
// then the player's own from the login folder.
static void reload_downloaded_textures(void)
{
    apply_all_player_textures();
    apply_player_textures();
}

void sdl_init(int width, int height)
{
    // Video alone first: a machine without sound still gets its window.
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0) {
        fprintf(stderr, "Unable to initialize SDL: %s\n", SDL_GetError());
        exit(1);
    }
    if (set_video_mode(width, height) != 0) {
        SDL_Quit();
        exit(1);
    }
    if (sound_mixer_open() != 0)
        fprintf(stderr, "No audio device: the game runs without sound\n");
    SDL_EnableKeyRepeat(500, 30);
    SDL_EnableUNICODE(1);
    g_cursors[0] = make_cursor(0);
    g_cursors[1] = make_cursor(1);
    if (g_cursors[0])
        SDL_SetCursor(g_cursors[0]);
    else
        fprintf(stderr, "Failed to create custom cursor\n");
    if (!sound_audio_failed())
        sound_mixer_load_all();
    SDL_WM_SetCaption("KAELMUND", nullptr);
}

void hide_display(int n)
{
    if (GuiManager *gui = get_gui_manager())
        gui->hideDisplay(n);
}

// Leaving the Setup window applies what it changed that needs a new mode.
void close_setup(void)
{
    if (graphics_reload_count() > 0) {
        graphics_reload_reset();
        window_resize_request(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    }
    close_to_menu(MENU_SETUP);
}

void hide_chat_input(void)
{
    if (GuiManager *gui = get_gui_manager())
        gui->hideChatInput();
}

void submit_chat_input(void)
{
    if (GuiManager *gui = get_gui_manager())
        gui->submitChatInput();
}

} // namespace

void video_reset(void)
{
    reset_video_mode();
}

int set_video_mode(int width, int height)
{
    width = clamp_size(width, OPTION_WIDTH_MIN);
    height = clamp_size(height, OPTION_HEIGHT_MIN);
    SDL_Surface *s = try_mode(width, height);
    if (!s) {
        fprintf(stderr, "Unable to create OpenGL screen: %s\n", SDL_GetError());
        if (g_mode_w <= 0)
            return 1;
        // Back to the mode that worked: the game and its settings go on.
        fprintf(stderr, "Keeping the previous video mode %dx%d\n", g_mode_w, g_mode_h);
        width = g_mode_w;
        height = g_mode_h;
        s = try_mode(width, height);
        if (!s)
            return 1;
    }
    g_screen = s;
    g_mode_w = width;
    g_mode_h = height;
    option_set(OPT_WIDTH, width);
    option_set(OPT_HEIGHT, height);
    g_target_w = g_pow2_targets ? (int)next_power_of_two(width) : width;
    g_target_h = g_pow2_targets ? (int)next_power_of_two(height) : height;
    init_glew();
    return 0;
}

void set_pow2_render_targets(int on) { g_pow2_targets = on != 0; }

void render_target_size(int *width, int *height)
{
    *width = g_target_w;
    *height = g_target_h;
}

int fullscreen_on(void) { return option_get(OPT_FULLSCREEN); }

void gl_reset_viewport(void)
{
    glViewport(0, 0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

void window_resize_request(int width, int height)
{
    g_pending_w = clamp_size(width, OPTION_WIDTH_MIN);
    g_pending_h = clamp_size(height, OPTION_HEIGHT_MIN);
    g_pending_reset = 1;
}

void toggle_fullscreen(void)
{
    option_set(OPT_FULLSCREEN, !option_get(OPT_FULLSCREEN));
    window_resize_request(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

void leave_fullscreen(void)
{
    if (fullscreen_on())
        toggle_fullscreen();
}

void grab_mouse(void)
{
    SDL_ShowCursor(SDL_DISABLE);
    if (SDL_WM_GrabInput(SDL_GRAB_ON) != SDL_GRAB_ON)
        fprintf(stderr, "Failed to set GrabInput to SDL_GRAB_ON\n");
}

void release_mouse(void)
{
    if (SDL_WM_GrabInput(SDL_GRAB_OFF) != SDL_GRAB_OFF)
        fprintf(stderr, "Failed to unset GrabInput\n");
    SDL_ShowCursor(SDL_ENABLE);
}

int window_has_focus(void) { return (SDL_GetAppState() & SDL_APPINPUTFOCUS) != 0; }
int window_has_mouse(void) { return (SDL_GetAppState() & SDL_APPMOUSEFOCUS) != 0; }

void update_cursor_shape(void)
{
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    set_cursor_kind(cursor_kind_wanted(chat_link_at(x, y)));
}

void set_cursor_kind(int kind)
{
    if (!window_has_mouse()) {
        g_cursor_kind = -1;
        return;
    }
    if (kind == g_cursor_kind || kind < 0 || kind > 1)
        return;
    g_cursor_kind = kind;
    if (g_cursors[kind])
        SDL_SetCursor(g_cursors[kind]);
}

int run_window(MainLoopCallbacks *cb)
{
    // The framebuffer cache unless the command line chose a chat cache.
    if (!option_given_on_command_line(OPT_CHATCACHE))
        option_set(OPT_CHATCACHE, 3);
    options_load();
    end_save_arm(END_SAVE_CONFIG, options_save_now);
    sdl_init(option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    clock_set_source(sdl_clock);
    gl_init_state();
    apply_world_shader_slot();
    graphics_set_font_hooks(init_font_ttf, free_fonts);
    script_set_boxed_text_hook(render_boxed_text);
    init_graphics();
    chat_update_layout(font_height(FONT_NORMAL), option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
    make_gui();
    camera_set_projector(world_to_screen);
    script_set_projector(world_to_screen);

    WindowHooks *hooks = window_hooks();
    hooks->draw_frame = draw_frame;
    hooks->draw_menu_overlay = draw_menu_overlay;
    hooks->grab_mouse = grab_mouse;
    hooks->release_mouse = release_mouse;
    hooks->take_screenshot = take_screenshot;
    hooks->window_has_mouse = window_has_mouse;
    hooks->hide_chat_input = hide_chat_input;
    hooks->submit_chat_input = submit_chat_input;
    hooks->set_turn_alert = turn_alert_set;
    hooks->update_turn_alert = turn_alert_update;
    hooks->clear_turn_alert = turn_alert_clear;
    hooks->toggle_fullscreen = toggle_fullscreen;
    hooks->hide_display = hide_display;
    hooks->reload_player_textures = reload_downloaded_textures;
    hooks->reload_flames = apply_flames;
    hooks->quit_pending = window_quit_pending;
    shell_set_leave_fullscreen(leave_fullscreen);
    hud_set_connection_probe(net_game_connected);

    ProfileHooks profile = {};
    profile.reset_network_rules = reset_network_room_rules;
    profile.set_version_text = caption_set_version;
    profile.load_user_equipment = load_equipment;
    profile.apply_player_textures = apply_player_textures;
    profile_set_hooks(&profile);
    profile_start();
    if (cb->init)
        cb->init();

    main_loop_start();
    quit_watchdog_phase(PHASE_LOOPING);
    while (main_loop_running()) {
        main_loop_step(cb);
        run_frame(cb);
    }

    quit_watchdog_phase(PHASE_ENDING);
    end_save_run(END_SAVE_CONFIG);
    if (cb->quit)
        cb->quit();
    // The alert dropped while the window still exists, so that its hint
    // goes with it.
    turn_alert_clear();
    *hooks = WindowHooks{};
    shell_set_leave_fullscreen(nullptr);
    camera_set_projector(nullptr);
    script_set_projector(nullptr);
    for (SDL_Cursor *&c : g_cursors) {
        if (c)
            SDL_FreeCursor(c);
        c = nullptr;
    }
    free_gui();
    free_graphics();
    TTF_Quit();
    sound_disable();
    sound_mixer_close();
    clock_set_source(nullptr);
    SDL_Quit();
    g_screen = nullptr;
    g_mode_w = g_mode_h = 0;
    return 0;
}
