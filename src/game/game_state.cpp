// The global match records, their start-up defaults and accessors.
#include "game/game_state.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/clock.h"
#include "app/base/text.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"

static WorldState g_state;
static GameGlobals g_globals;
static Player g_players[MAX_PLAYER_RECORDS];
static GeomRecord g_geom_records[GEOM_RECORD_COUNT];
static Bout g_bouts[BOUT_COUNT];

WorldState *get_game_state(void) { return &g_state; }
GameGlobals *get_game_globals(void) { return &g_globals; }
Player *get_players(void) { return g_players; }
int *get_selected_player_ptr(void) { return &g_globals.selected_player; }
dGeomID get_floor_geom(void) { return g_globals.floor_geom; }

Player *get_player(int i)
{
    if (i < 0 || i >= g_globals.built_players || i >= MAX_PLAYER_RECORDS)
        return nullptr;
    return &g_players[i];
}

Player *get_first_ghost(void) { return get_player(g_state.players); }

Bout *get_bout(int i)
{
    if (i < 0 || i >= BOUT_COUNT)
        return nullptr;
    return &g_bouts[i];
}

Bout *get_bout_records(void) { return g_bouts; }

void clear_bouts(void)
{
    memset(g_bouts, 0, sizeof g_bouts);
    g_globals.bouts_present = 0;
}

GeomRecord *take_geom_record(void)
{
    if (g_globals.next_geom_record >= GEOM_RECORD_COUNT) {
        fprintf(stderr, "Out of geom records\n");
        return nullptr;
    }
    GeomRecord *r = &g_geom_records[g_globals.next_geom_record];
    memset(r, 0, sizeof *r);
    r->fighter = -1;
    r->body_id = -1;
    r->record = g_globals.next_geom_record++;
    return r;
}

void reset_geom_records(void)
{
    memset(g_geom_records, 0, sizeof g_geom_records);
    g_globals.next_geom_record = 0;
}

void reset_world_state(void)
{
    memset(&g_state, 0, sizeof g_state);
    g_state.players = 2;
    g_state.frozen = 1;
    g_state.ghost_restart = 1.0f;
    g_state.ghost_length = 100;
    // The session words of the globals as well: the world init_game builds
    // next is the built-in one, outside any game server's match, with no
    // mod loaded, no bout listed and no replay's names. The engine handles
    // belong to the world build and are left to it.
    g_globals.replay_mode = 2;
    g_globals.network_mode = 0;
    g_globals.own_slot = -1;
    g_globals.own_id = -1;
    g_globals.selected_player = -1;
    g_globals.turn_deadline = 0;
    g_globals.now_ms = 0;
    clear_bouts();
    g_globals.loaded_mod[0] = '\0';
    g_globals.mod_load_failed = 0;
    g_globals.fight_name[0] = '\0';
    g_globals.author[0] = '\0';
}

// ---- name tables ----

static const char *const k_body_names[] = {
    "HEAD", "BREAST", "CHEST", "STOMACH", "THORAX", "R_PECS", "R_BICEPS", "R_TRICEPS",
    "L_PECS", "L_BICEPS", "L_TRICEPS", "R_HAND", "L_HAND", "R_BUTT", "L_BUTT",
    "R_THIGH", "L_THIGH", "L_LEG", "R_LEG", "R_FOOT", "L_FOOT", "BODYPARTS",
};
static const char *const k_joint_names[] = {
    "NECK", "SPLEX", "LUMBAR", "ABS", "R_AXILLA", "R_SHOULDER", "R_ELBOW", "L_AXILLA",
    "L_SHOULDER", "L_ELBOW", "R_WRIST", "L_WRIST", "R_GLUTE", "L_GLUTE", "R_HIP", "L_HIP",
    "R_KNEE", "L_KNEE", "R_ANCHOR", "L_ANCHOR", "JOINTS",
};
static const char *const k_motor_names[] = {
    "MOTOR_NONE", "MOTOR_FWD", "MOTOR_BACK", "MOTOR_HOLD", "MOTOR_RELAX",
};
static const char *const k_player_names[] = {"vako", "zud", "GHOST1", "GHOST2", "RED", "BLUE"};
static const int k_body_joint[21] = {0, 0, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 16, 18, 19};
static const int k_joint_order[20] = {0, 3, 4, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 17, 19, 20};
static const int k_part_weight[21] = {100, 70, 50, 50, 90, 15, 20, 20, 15, 20, 20, 0, 0, 15, 15, 20, 20, 20, 20, 0, 0};

const char *body_name(int i) { return (i >= 0 && i <= BODYPARTS) ? k_body_names[i] : "NONE"; }
const char *joint_id_name(int i) { return (i >= 0 && i <= JOINTS) ? k_joint_names[i] : "NONE"; }

const char *motor_state_name(int i)
{
    return (i >= 0 && i <= MOTOR_RELAX) ? k_motor_names[i] : "NO_SUCH_MOTOR_STATE";
}

const char *body_or_joint_name(int i)
{
    if (i == -1)
        return "GROUND";
    if (i < -1)
        return "NONE";
    if (i <= 21)
        return body_name(i);
    return joint_id_name(i - 21);
}

int selected_joint_of_body(int body)
{
    if (body < 0 || body > 20) {
        fprintf(stderr, "selected_body missing joint for body nr %i\n", body);
        return -1;
    }
    return k_body_joint[body];
}

int joint_order_map(int i) { return (i >= 0 && i < 20) ? k_joint_order[i] : -1; }

int part_weight(int body_id)
{
    if (body_id >= 0 && body_id < 21)
        return k_part_weight[body_id];
    if (body_id >= 21 && body_id < 41) {
        const int j = body_id - 21;
        if (j == R_ELBOW || j == L_ELBOW || j == R_KNEE || j == L_KNEE)
            return 0;
        if (j == R_ANCHOR || j == L_ANCHOR)
            return 10;
        return 40;
    }
    return 0;
}

const char *default_player_name(int i) { return (i >= 0 && i < 6) ? k_player_names[i] : "NONE"; }

// ---- setters ----

int set_player_name(int i, const char *text)
{
    if (i < 0 || i >= MAX_PLAYER_RECORDS || !text)
        return 1;
    Player *p = &g_players[i];
    if (strncmp(p->name, text, PLAYER_NAME_SIZE - 1) == 0 && strlen(text) < PLAYER_NAME_SIZE)
        return 1;
    n_strncpyz(p->name, text, PLAYER_NAME_SIZE);
    char tag[PLAYER_NAME_SIZE];
    split_tag_and_name(p->name, PLAYER_NAME_SIZE, tag, p->short_name);
    return 0;
}

void set_default_player_names(void)
{
    for (int i = 1; i < g_state.players && i < MAX_PLAYER_RECORDS; i++)
        set_player_name(i, k_player_names[i]);
}

int set_player_emote(int i, const char *text, float seconds)
{
    if (i < 0 || i >= MAX_PLAYER_RECORDS || !text)
        return 1;
    Player *p = &g_players[i];
    n_strncpyz(p->emote, text, PLAYER_NAME_SIZE);
    p->emote_duration = (int32_t)(seconds * 1000.0f);
    p->emote_expiry = clock_ms() + (uint32_t)p->emote_duration;
    p->emote_colour = p->colour;
    p->emote_new = 1;
    p->emote_frame = g_state.frame;
    return 0;
}

void clear_player_emote(int i)
{
    if (i < 0 || i >= MAX_PLAYER_RECORDS)
        return;
    g_players[i].emote[0] = '\0';
    g_players[i].emote_new = 0;
}

void set_fight_name(const char *text) { n_strncpyz(g_globals.fight_name, text ? text : "", LONG_TEXT_SIZE); }
void set_author(const char *text) { n_strncpyz(g_globals.author, text ? text : "", LONG_TEXT_SIZE); }

int set_player_selection(int i, int body)
{
    if (i < 0 || i >= MAX_PLAYER_RECORDS || body < 0 || body > 21)
        return 1;
    g_players[i].selected_body[0] = body;
    g_players[i].selected_body[1] = body;
    return 0;
}

int set_turn_owner(int i)
{
    if (i < -1 || i >= MAX_FIGHTERS)
        return 1;
    g_globals.own_slot = i;
    return 0;
}

int fighter_count(void)
{
    const int n = g_state.players;
    return n < 0 ? 0 : (n > MAX_FIGHTERS ? MAX_FIGHTERS : n);
}

int built_fighter_count(void)
{
    const int n = fighter_count();
    return n < g_globals.built_players ? n : g_globals.built_players;
}

int find_own_slot(void)
{
    for (int i = 0; i < fighter_count(); i++)
        if (g_players[i].bout_id == g_globals.own_id)
            return i;
    return -1;
}

int all_bouts_present(void) { return g_globals.bouts_present >= g_state.players; }
int get_own_id(void) { return g_globals.own_id; }
void set_own_id(int id) { g_globals.own_id = id; }

int is_own_bout(int i)
{
    const Bout *b = get_bout(i);
    return b && b->server_id == g_globals.own_id;
}

void set_match_deadline(void) { g_state.deadline = clock_ms() + 5000; }

void show_message(const char *text) { game_echo(text, MSG_INGAME); }

int parse_grip_pair(int i, const char *text)
{
    Player *p = get_player(i);
    int left, right;
    if (!p || !text || sscanf(text, "%i %i", &left, &right) != 2)
        return 1;
    if (left < 0 || left > 2 || right < 0 || right > 2) {
        fprintf(stderr, "Grip value outside 0..2: %i %i\n", left, right);
        return 1;
    }
    p->grip_wish[GRIP_LEFT] = left;
    p->grip_wish[GRIP_RIGHT] = right;
    return 0;
}
