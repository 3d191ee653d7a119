// What the game and the protocol ask of the layers above them: script hooks,
// messages, the centre print, console commands, sounds, limb trails, colours, floor stains,
// customisations, the chat tabs and the replay folder. The layers above fill
// the table at start-up (each its own entries); an empty entry does nothing,
// so a headless match needs none of them.
#pragma once
#include <cstdint>

// The hooks a script can register, in the order of their names table. The
// game fires HOOK_ENTER_FRAME .. HOOK_RESUME; the window fires the rest.
enum HookId {
    HOOK_ENTER_FRAME,
    HOOK_END_GAME,
    HOOK_ENTER_FREEZE,
    HOOK_EXIT_FREEZE,
    HOOK_NEW_GAME,
    HOOK_NEW_MP_GAME,
    HOOK_LEAVE_GAME,
    HOOK_PLAY,
    HOOK_PAUSE,
    HOOK_RESUME,
    HOOK_KEY_DOWN,
    HOOK_KEY_UP,
    HOOK_MOUSE_BUTTON_DOWN,
    HOOK_MOUSE_BUTTON_UP,
    HOOK_MOUSE_MOVE,
    HOOK_PLAYER_SELECT,
    HOOK_JOINT_SELECT,
    HOOK_BODY_SELECT,
    HOOK_CAMERA,
    HOOK_DRAW3D,
    HOOK_DRAW2D,
    HOOK_CONSOLE,
    HOOK_COUNT
};

struct WorldState;

// The centre print shows up to three lines of this many bytes (UTF-8).
enum { CENTERPRINT_LINES = 3, CENTERPRINT_LINE_SIZE = 512 };

struct GameCallbacks {
    // Script side.
    void (*fire_hook)(int hook, int arg);          // arg: the result kind of HOOK_END_GAME
    void (*script_announce)(int number, const char *text);
    // Messages for the player: a line of a MessageType bit set in the
    // current chat tab or in a given one (0 is the console), the chat tab of
    // a player id, and the centre print.
    void (*echo)(const char *text, int type);
    void (*echo_tab)(int tab, const char *text, int type);
    int (*chat_tab_find)(int id);
    int (*chat_tab_open)(int id, const char *title);
    void (*chat_tab_unbind)(int id);
    void (*centerprint)(WorldState *w, int mode, int colour, int seconds,
                        const char *line1, const char *line2, const char *line3);
    void (*centerprint_clear)(void);
    // A console command line a game server sent (the RUN line): run as if
    // the player had typed it, except that it writes no files.
    void (*run_command)(const char *line);
    // Sound: one effect, the events of the frame just stepped, the breaks of
    // the turn, and forgetting the per-frame sound cache.
    void (*sound_play)(int channel, int sound, int forced, int record);
    void (*sound_frame)(WorldState *w);
    void (*sound_breaks)(void);
    void (*sound_cache_clear)(void);
    // Limb trails: one step, and back to empty.
    void (*trails_update)(void);
    void (*trails_reset)(void);
    // Drawing: a colour-table row as RGB, a flying blood drop, and a drop's
    // stain on the floor.
    void (*colour_rgb)(int row, float *rgb);
    void (*blood_drop)(const float *pos, const float *vel, float size, const float *rgb);
    void (*blood_stain)(const float *pos, const float *vel, float size, const float *rgb);
    // Every stain gone from the floor (a new game starts on a clean floor).
    void (*floor_stains_clear)(void);
    // Customisations: a fighter's blood colour row (0: the default), all of
    // them forgotten, all of them applied to the fighters.
    int (*fighter_blood_colour)(int fighter);
    // The colour row a fighter's customisation gives it (0: none).
    int (*fighter_custom_colour)(int fighter);
    void (*customs_clear)(void);
    void (*customs_apply)(int mode);
    // The textures a player's customisation asks for, loaded into a
    // fighter's tables from that player's folder; the number that did not load.
    int (*player_textures)(int fighter, int player, const char *player_name);
    // Replays: on to the next file of the replay folder; the result lines
    // kept from the last file read are forgotten.
    void (*replay_next)(void);
    void (*replay_forget_result)(void);
    // The window: frame the fighters from a heading (degrees) at the start
    // of a match, and the turn alert of the player whose turn it is.
    void (*camera_fit)(int yaw);
    void (*turn_alert)(void);
    void (*clear_turn_alert)(void);
    // A playback from the first frame: the camera builds its path from the
    // keyframes; the text of the keyframe state to show, null for none.
    const char *(*camera_playback)(void);
    // The automatic save of the match just ended; 0 when saved.
    int (*replay_autosave)(void);
    // The game-server connection: 1 while connected; a protocol text sent
    // (0, or -1 when the connection failed, which ends the network game);
    // the connection closed and the network state reset; the network game
    // ended by the server (the connection closed, then a fresh single-play
    // game once the lines in hand are read; the message, when not null, is
    // echoed); a connection to another game server, back to the current one
    // when that fails.
    int (*net_connected)(void);
    int (*net_send)(const char *text);
    void (*net_close)(void);
    void (*net_end)(const char *message);
    void (*net_forward)(const char *address);
};

// The one table; entries left null do nothing.
GameCallbacks *game_callbacks(void);

// The calls the game makes through the table.
void game_hook(int hook, int arg = 0);
void game_script_announce(int number, const char *text);
void game_echo(const char *text, int type);
void game_echo_tab(int tab, const char *text, int type);
int game_chat_tab_find(int id);          // -1 without a chat side
int game_chat_tab_open(int id, const char *title);
void game_chat_tab_unbind(int id);
void game_centerprint(WorldState *w, int mode, int colour, int seconds,
                      const char *line1, const char *line2, const char *line3);
void game_centerprint_clear(void);
void game_run_command(const char *line);
void game_sound(int channel, int sound, int forced, int record);
void game_sound_frame(WorldState *w);
void game_sound_breaks(void);
void game_sound_cache_clear(void);
void game_trails_update(void);
void game_trails_reset(void);
void game_colour_rgb(int row, float *rgb);          // black without a colour table
void game_blood_drop(const float *pos, const float *vel, float size, const float *rgb);
void game_blood_stain(const float *pos, const float *vel, float size, const float *rgb);
void game_floor_stains_clear(void);
int game_fighter_blood_colour(int fighter);
int game_fighter_custom_colour(int fighter);     // 0 without a customisation side
void game_customs_clear(void);
void game_customs_apply(int mode);
int game_player_textures(int fighter, int player, const char *player_name);  // 0 without a renderer
void game_replay_next(void);
void game_replay_forget_result(void);
void game_camera_fit(int yaw);
void game_turn_alert(void);
void game_clear_turn_alert(void);
const char *game_camera_playback(void);         // null without a camera
int game_replay_autosave(void);                  // 1 without a replay side
int game_net_connected(void);                    // 0 without a connection side
int game_net_send(const char *text);             // -1 without a connection side
void game_net_close(void);
void game_net_end(const char *message);
void game_net_forward(const char *address);
