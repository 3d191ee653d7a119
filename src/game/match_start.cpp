#include "game/match_start.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/body_template.h"
#include "game/collision.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/contact_damage.h"
#include "game/frame_cache.h"
#include "game/ghost.h"
#include "game/joint_breaks.h"
#include "game/match_end.h"
#include "game/match_mode.h"
#include "game/mod_file.h"
#include "game/turn_alerts.h"
#include "game/turn_cycle.h"
#include "game/mod_world.h"
#include "game/received_state.h"
#include "game/replay_buffer.h"
#include "game/stance.h"
#include "game/world_build.h"
#include "game/world_physics.h"
#include "game/match_bouts.h"
#include "game/rpg_stats.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"

static int g_mod_state_word;
// The rules the named mod's own file set when it was last loaded: the mod
// rules record itself takes the rules of every match that keeps the mod.
static MatchRules g_mod_file_rules;
static bool g_mod_file_rules_valid;

void forget_loaded_mod(void) { get_game_globals()->loaded_mod[0] = '\0'; }
void set_mod_state_word(int v) { g_mod_state_word = v; }
int get_mod_state_word(void) { return g_mod_state_word; }

void clear_startup_flags(void)
{
    g_mod_state_word = 0;
    get_game_state()->net_decision_frame = 0;
}

int is_builtin_mod_name(const char *name)
{
    if (!name || name[0] == '\0' || strcmp(name, "0") == 0)
        return 1;
    static const char *const builtin[] = {"classic", "default", "classic.kxm", "default.kxm"};
    for (const char *b : builtin)
        if (strcasecmp(name, b) == 0)
            return 1;
    return 0;
}

// ---- teams ----

int set_rules_teams(const int32_t *values, int count, MatchRules *rules)
{
    if (count < 2 || values[0] < 1 || values[0] > RULES_PLAYER_SLOTS || values[1] < 0 ||
        values[1] > RULES_PLAYER_SLOTS) {
        fprintf(stderr, "TEAMS: players 1..%d and teams 0..%d needed, refused\n", RULES_PLAYER_SLOTS,
                RULES_PLAYER_SLOTS);
        return 1;
    }
    for (int i = 0; i < values[0] && 2 + i < count; i++)
        if (values[2 + i] < 0 || values[2 + i] >= RULES_PLAYER_SLOTS) {
            fprintf(stderr, "TEAMS: team %d of fighter %d out of range, refused\n", values[2 + i], i);
            return 1;
        }
    rules->players = values[0];
    rules->teams = values[1];
    for (int i = 0; i < values[0] && 2 + i < count; i++)
        rules->team_of[i] = values[2 + i];
    return 0;
}

int write_teams_line(char *dst, int size, const MatchRules *rules)
{
    if (size <= 0)
        return 0;
    int players = rules->players < 1 ? 1 : (rules->players > RULES_PLAYER_SLOTS ? RULES_PLAYER_SLOTS : rules->players);
    int len = snprintf(dst, (size_t)size, "TEAMS %i;%i", rules->players, rules->team_of[0]);
    for (int i = 1; i < players && len < size; i++)
        len += snprintf(dst + len, (size_t)(size - len), " %i", rules->team_of[i]);
    if (len < size)
        len += snprintf(dst + len, (size_t)(size - len), "\n");
    return len < size ? len : size - 1;
}

// ---- engage placement ----

// Turns every body of both fighters about the vertical axis through the
// midpoint of their heads.
static void turn_pair_about_midpoint(double degrees)
{
    Player *a = get_player(0), *b = get_player(1);
    if (!a || !b)
        return;
    const dReal *ha = dBodyGetPosition(a->bodies[0]), *hb = dBodyGetPosition(b->bodies[0]);
    const double pivot[3] = {(ha[0] + hb[0]) * 0.5, (ha[1] + hb[1]) * 0.5, 0.0};
    const double rad = degrees * M_PI / 180.0;
    for (int k = 0; k < BODY_COUNT; k++) {
        turn_body_about_vertical(a->bodies[k], pivot, rad);
        turn_body_about_vertical(b->bodies[k], pivot, rad);
    }
}

static bool is_half_turn(double degrees) { return std::fabs(std::fmod(degrees, 360.0)) == 180.0; }

void engage_placement(const MatchRules *rules)
{
    const int n = fighter_count();
    double off[MAX_FIGHTERS][3] = {};
    double heading[MAX_FIGHTERS] = {};
    // The two-fighter start's line through both heads is turned by this
    // about its midpoint once both stand.
    double pair_turn = 0.0;
    const bool exact = rules->engage_set != 0;
    if (!exact) {
        const int distance = rules->engagedistance == 0 ? 100 : rules->engagedistance;
        const double d = distance * 0.005;
        const double z = rules->engageheight * 0.01 - 0.01;
        // Two fighters: each is turned about its own head by the rotation's
        // whole half turns (0 face to face, 180 back to back) and the pair by
        // the rest, so the line between them stays square to their shoulders
        // and their arms never reach into each other.
        if (n == 2) {
            pair_turn = std::fmod((double)rules->engagerotation, 180.0);
            if (pair_turn < 0)
                pair_turn += 180.0;
        }
        for (int i = 0; i < n; i++) {
            if (n == 2) {
                // The fighter faces along -y (its arms span x), so two
                // fighters stand apart along y, face to face; spaced along x
                // they would stand side by side inside each other.
                off[i][1] = i == 0 ? d : -d;
                heading[i] = i == 0 ? 0.0 : 180.0;
            } else {
                const double a = 360.0 / n * i;
                off[i][0] = cos(a * M_PI / 180.0) * d;
                off[i][1] = -sin(a * M_PI / 180.0) * d;
                heading[i] = a;
            }
            off[i][2] = z;
            heading[i] += rules->engagerotation - pair_turn;
        }
    } else {
        for (int i = 0; i < n && i < RULES_PLAYER_SLOTS; i++) {
            for (int c = 0; c < 3; c++)
                off[i][c] = rules->engage_pos[i][c];
            heading[i] = rules->engage_rot[i][2];
        }
    }
    const bool half_turns = n == 2 && heading[0] == 0.0 && heading[1] == 180.0;
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        apply_stance(i, p->stance_slot, off[i][0], off[i][1], off[i][2]);
        if (heading[i] == 0.0)
            continue;
        // A half turn negates the positions about the origin and moves the
        // fighter back; any other heading turns it about its head.
        if ((exact || half_turns) && is_half_turn(heading[i]))
            turn_player_mirrored(i, heading[i]);
        else
            turn_player(i, heading[i]);
    }
    if (pair_turn != 0.0)
        turn_pair_about_midpoint(pair_turn);
    get_game_state()->pair_turn = pair_turn;
}

// ---- RPG scaling ----

// A percentage held to what the physics can take: bodies scaled far from
// their size come out so light (or heavy) beside the others that the step's
// solution is not finite, and the engine ends the program on it.
static float rpg_factor(int32_t percent, int32_t lo, int32_t hi)
{
    return (float)(percent < lo ? lo : percent > hi ? hi : percent) * 0.01f;
}

void rpg_scale_world(ModWorld *m, int p, const int32_t *stats)
{
    if (!m || p < 0 || p >= MOD_PLAYER_SLOTS || !m->body_tables[p] || !m->joint_tables[p])
        return;
    if (stats[3] > 0 && stats[4] > 0 && stats[5] > 0)
        scale_body_template(m->body_tables[p], m->joint_tables[p], rpg_factor(stats[3], 25, 400),
                            rpg_factor(stats[4], 25, 400), rpg_factor(stats[5], 25, 400));
    // The player's per-joint values from the server, then the percentages.
    apply_rpg_joint_table(p, m->joint_tables[p]);
    for (int j = 0; j < JOINT_COUNT; j++) {
        JointDef &jd = m->joint_tables[p][j];
        if (stats[2] > 0)
            jd.strength *= rpg_factor(stats[2], 1, 1000);
        if (stats[0] > 0)
            jd.velocity *= rpg_factor(stats[0], 1, 1000);
        if (stats[1] > 0)
            jd.dm_threshold = stats[1];
    }
}

// ---- names announcement ----

enum { NAMES_MODE = 2, NAMES_SECONDS = 5 };

void announce_names(void)
{
    const int n = fighter_count();
    WorldState *w = get_game_state();
    if (n == 2) {
        game_centerprint(w, NAMES_MODE, 0, NAMES_SECONDS, get_bout(0)->name, "vs", get_bout(1)->name);
        return;
    }
    char all[CENTERPRINT_LINE_SIZE * 2] = "";
    for (int i = 0; i < n; i++) {
        if (i > 0) {
            const bool same_team = w->teams > 1 && get_player(i)->team == get_player(i - 1)->team;
            strncat(all, same_team ? " & " : " vs. ", sizeof all - strlen(all) - 1);
        }
        strncat(all, get_bout(i)->name, sizeof all - strlen(all) - 1);
    }
    // A second line once the first passes half the total length.
    const size_t total = strlen(all);
    char line1[CENTERPRINT_LINE_SIZE] = "", line2[CENTERPRINT_LINE_SIZE] = "";
    size_t cut = total;
    for (size_t k = total / 2; k < total; k++)
        if (all[k] == ' ') {
            cut = k;
            break;
        }
    n_strncpyz(line1, all, (int)(cut + 1 < sizeof line1 ? cut + 1 : sizeof line1));
    if (cut < total)
        n_strncpyz(line2, all + cut + 1, sizeof line2);
    game_centerprint(w, NAMES_MODE, 0, NAMES_SECONDS, line1, line2, nullptr);
}

// ---- new match ----

static void keep_names(char names[MAX_FIGHTERS][PLAYER_NAME_SIZE])
{
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        const Player *p = get_player(i);
        n_strncpyz(names[i], p ? p->name : default_player_name(i), PLAYER_NAME_SIZE);
    }
}

static void restore_names(char names[MAX_FIGHTERS][PLAYER_NAME_SIZE])
{
    for (int i = 0; i < fighter_count(); i++)
        if (names[i][0])
            set_player_name(i, names[i]);
}

// Builds the built-in world, or for rpg rules the default world with each
// player's overlay, scaled by the player's stats.
static void build_builtin_world(const MatchRules *rules, char names[MAX_FIGHTERS][PLAYER_NAME_SIZE])
{
    destroy_world();
    if (!rules->rpg) {
        init_world(get_default_mod_world());
        return;
    }
    restore_names(names);
    reset_env_objects();
    int overlays = 0;
    for (int i = 0; i < fighter_count(); i++) {
        if (!is_safe_path(names[i], 0)) {
            fprintf(stderr, "Fighter name %s is no safe folder name, no rpg overlay\n", names[i]);
            continue;
        }
        overlays += load_rpg_mod(i, names[i]) == 0;
    }
    ModWorld *m = build_mod_world();
    if (!m) {
        init_world(get_default_mod_world());
        return;
    }
    if (!overlays)
        memcpy(m->colors, builtin_world_colors(), sizeof m->colors);
    for (int i = 0; i < fighter_count(); i++) {
        const RpgStats *s = get_rpg_stats(i);
        if (s)
            rpg_scale_world(m, i, s->value);
    }
    init_world(m);
    for (int i = 0; i < fighter_count(); i++) {
        const RpgStats *s = get_rpg_stats(i);
        if (s && get_player(i))
            memcpy(get_player(i)->rpg_stats, s->value, sizeof get_player(i)->rpg_stats);
    }
}

static void load_named_mod(int mode, MatchRules *rules, int rules_changed)
{
    GameGlobals *g = get_game_globals();
    // The loaded world serves only when it was built for this many players:
    // with fewer records than fighters and ghosts, a ghost would be a live
    // fighter of the last build.
    const bool same_mod = strcmp(g->loaded_mod, rules->mod) == 0 &&
                          g->built_players == 2 * get_game_state()->players;
    if (mode == 1 && same_mod && g_mod_state_word)
        return;
    if (same_mod && mode == 0 && !g->mod_load_failed)
        return;
    destroy_world();
    ModWorld *m = nullptr;
    g_mod_file_rules_valid = false;
    if (load_mod(rules->mod) == 0)
        m = build_mod_world();
    if (m) {
        g_mod_file_rules = *get_mod_rules();
        g_mod_file_rules_valid = true;
        init_world(m);
        g->mod_load_failed = 0;
        return;
    }
    init_world(get_default_mod_world());
    if (rules_changed)
        game_echo(va_format("Unable to load mod %s", rules->mod), MSG_INGAME);
    g->mod_load_failed = 1;
    if (mode == 0) {
        n_strncpyz(rules->mod, "classic", RULES_TEXT_SIZE);
        n_strncpyz(get_match_rules()->mod, "classic", RULES_TEXT_SIZE);
        n_strncpyz(get_mod_rules()->mod, "classic", RULES_TEXT_SIZE);
    }
}

// The own fighter at the start of a network match: the slot whose bout in
// the server's list carries the own id. The fighters' own bout ids are
// stored only once the names are given (a rebuilt world has them zeroed),
// so here the bout list names the slot.
static int own_slot_from_bouts(void)
{
    for (int i = 0; i < fighter_count(); i++) {
        const Bout *b = get_bout(i);
        if (b && b->name[0] && is_own_bout(i))
            return i;
    }
    return -1;
}

static int clamp_players(int n)
{
    return n < 1 ? 1 : (n > MAX_FIGHTERS ? MAX_FIGHTERS : n);
}

int new_match(int mode, int keep_mod_name, MatchRules *rules, int keep_next_rules)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    MatchRules *live = get_match_rules();

    // The old-format flags of the NEWGAME line that named these rules hold
    // for this match only.
    const bool gravity_from_mod = rules_gravity_from_mod(), dqflag_from_mod = rules_dqflag_from_mod();
    rules_clear_old_format_flags();

    // 1. counters and the per-frame records
    g->network_mode = mode;
    w->frame = 0;
    set_ghost_trail_complete(0);
    set_frame_cache_playback(0);
    frame_cache_clear();
    clear_emote_history();
    game_sound_cache_clear();
    apply_ghost_row(0);
    rules_clear_config_locks();

    // 2. players, places, teams
    rules->players = clamp_players(rules->players);
    w->players = rules->players;
    w->places = rules->places;
    w->teams = rules->teams;
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        w->winners[i] = w->losers[i] = -1;
        w->team_order[i] = i;
    }
    if (w->teams > 1) {
        int k = 0;
        for (int t = 0; t < w->teams; t++)
            for (int i = 0; i < w->players; i++)
                if (rules->team_of[i] == t && k < MAX_FIGHTERS)
                    w->team_order[k++] = i;
    }

    // 3. grips, contacts, blood, result words
    if (g->world) {
        delete_all_grip_joints();
        dJointGroupEmpty(g->contact_group);
        reset_blood_drops();
    }
    w->game_over = 0;
    w->decision_frame = -1;
    w->received_mask = 0;
    w->turn_index = 0;
    set_record_mode(0);
    // The last match's end frame would start the automatic replay of the
    // new match at that match's time.
    if (g->replay_mode == 0)
        w->end_frame = 0;
    w->net_decision_frame = 0;
    if (option_get(OPT_BENCHMARK))
        w->start_time = (int32_t)time(nullptr);

    // 4. how much to rebuild
    const bool same = memcmp(rules, live, sizeof *rules) == 0;
    const bool rebuild = !same || g->mod_load_failed || rules->rpg || mode != 0 || !g->world ||
                         g->built_players != 2 * w->players;
    char names[MAX_FIGHTERS][PLAYER_NAME_SIZE];
    keep_names(names);
    if (rebuild) {
        *live = *rules;
        *get_mod_rules() = *rules;
        if (is_builtin_mod_name(rules->mod)) {
            // Leaving a named mod in single play: its rules go with it. A
            // match from a replay or a game server keeps the rules it names.
            if (mode == 0 && g->replay_mode == 0 && !is_builtin_mod_name(g->loaded_mod)) {
                fill_default_rules(0, live);
                live->players = rules->players;
                n_strncpyz(live->mod, rules->mod, RULES_TEXT_SIZE);
            }
            build_builtin_world(live, names);
            *rules = *live;
            if (mode == 0 && !keep_next_rules)
                *get_next_match_rules() = *live;
        } else {
            load_named_mod(mode, rules, !same);
            if (mode == 0 && !keep_next_rules) {
                *live = *get_mod_rules();
                n_strncpyz(live->mod, rules->mod, RULES_TEXT_SIZE);
                *get_next_match_rules() = *live;
            }
            // A NEWGAME line of the old format carries no gravity (or no
            // disqualification flag): the match plays with the mod's own,
            // as it was played when the line was written.
            if (gravity_from_mod && g_mod_file_rules_valid)
                memcpy(live->gravity, g_mod_file_rules.gravity, sizeof live->gravity);
            if (dqflag_from_mod && g_mod_file_rules_valid)
                live->dqflag = g_mod_file_rules.dqflag;
        }
        // 5. the loaded mod name, names and team colours
        n_strncpyz(g->loaded_mod, keep_mod_name ? " " : rules->mod, LONG_TEXT_SIZE);
        restore_names(names);
        if (w->teams > 1) {
            for (int i = 0; i < fighter_count(); i++) {
                Player *p = get_player(i), *gh = get_player(fighter_count() + i);
                p->team = live->team_of[i];
                p->colour = get_player(p->team)->colour_built;
                if (gh) {
                    gh->team = p->team;
                    gh->colour = p->colour;
                }
            }
        }
    }

    // 6. the fighters at their start
    refresh_env_objects();
    w->frames_left = 0;
    set_match_paused(0);
    clear_received_state();
    clear_server_result();
    w->server_result = 0;   // a belt result belongs to the match it ended
    clear_pending_breaks();
    clear_body_fractures();
    clear_match_bouts();
    if (mode == 1)
        g->own_slot = own_slot_from_bouts();
    game_centerprint_clear();
    clear_ground_impacts();
    game_trails_reset();
    for (int i = 0; i < g->built_players; i++)
        clear_player_emote(i);
    g->selected_player = -1;
    w->frozen = 1;
    engage_placement(live);
    reset_fighters();
    clear_contact_records();
    for (int i = 0; i < fighter_count(); i++) {
        relax_all(i);
        Player *p = get_player(i);
        for (int j = 0; j < JOINT_COUNT; j++) {
            dJointSetHingeParam(p->hinges[j], dParamVel, 0.0);
            dJointSetHingeParam(p->hinges[j], dParamFMax, 0.0);
        }
        player_switch_on(i);
    }
    apply_world_forces();

    // 7. the replay buffer
    if (!keep_mod_name) {
        truncate_replay(0);
        game_replay_forget_result();
        g->replay_mode = 0;
        w->frames_recorded = 0;
        w->play_frame = 0;
        set_fight_name("");
        set_author("");
        // The player in slot 1 sees the match from the other side.
        game_camera_fit(g->own_slot == 1 ? -45 : 45);
        if (g->own_slot == 1)
            turn_alert_flash();
    }

    // 8. ghost preview and the turn deadline
    set_ghost_turn_length(next_turn_frames());
    leave_ghost_mode();
    if (mode == 0)
        w->ghost_mode = 1;
    g->turn_deadline = (uint32_t)live->reactiontime * 1000u + clock_ms();
    g_mod_state_word = 0;

    // 9. names and customisations
    if (keep_mod_name || mode == 0) {
        if (mode == 0) {
            g->selected_player = 0;
            // Single play leaves the game server.
            if (game_net_connected())
                game_net_close();
        }
        game_customs_apply(0);
        return 0;
    }
    bool missing = false;
    for (int i = 0; i < fighter_count(); i++)
        missing = missing || get_bout(i)->name[0] == '\0';
    for (int i = 0; i < fighter_count(); i++) {
        const char *name = get_bout(i)->name[0] ? get_bout(i)->name : default_player_name(i);
        if (missing || g->replay_mode == 0)
            set_player_name(i, name);
        if (!missing && g->replay_mode == 0)
            get_player(i)->bout_id = get_bout(i)->server_id;
    }
    if (!missing && g->replay_mode == 0)
        announce_names();
    g->own_slot = find_own_slot();
    if (g->own_slot >= 0) {
        g->selected_player = g->own_slot;
        if (live->hold_frame)
            set_record_mode(1);
    } else if (live->hold_frame) {
        set_record_mode(2);
    }
    if (!missing)
        start_ghost_all();
    game_customs_apply(0);
    return 0;
}

// ---- the world built again after an engine failure ----

// What a fighter's record holds of the match, beyond its bodies.
struct KeptFighter {
    int32_t team, colour, bout_id, disqualified;
    float score, injury;
    int32_t rpg_stats[RPG_STAT_COUNT];
    char name[PLAYER_NAME_SIZE];
};

void rebuild_match_world(void)
{
    GameGlobals *g = get_game_globals();
    static KeptFighter kept[MAX_PLAYER_RECORDS];
    const int records = g->built_players;
    for (int i = 0; i < records && i < MAX_PLAYER_RECORDS; i++) {
        const Player *p = &get_players()[i];
        KeptFighter &k = kept[i];
        k = {p->team, p->colour, p->bout_id, p->disqualified, p->score, p->injury, {}, {}};
        memcpy(k.rpg_stats, p->rpg_stats, sizeof k.rpg_stats);
        n_strncpyz(k.name, p->name, PLAYER_NAME_SIZE);
    }
    destroy_world();
    init_world(get_mod_world());
    for (int i = 0; i < records && i < g->built_players; i++) {
        Player *p = &get_players()[i];
        const KeptFighter &k = kept[i];
        if (k.name[0])
            set_player_name(i, k.name);
        p->team = k.team;
        p->colour = k.colour;
        p->bout_id = k.bout_id;
        memcpy(p->rpg_stats, k.rpg_stats, sizeof p->rpg_stats);
    }
    refresh_env_objects();
    engage_placement(get_match_rules());
    reset_fighters();
    // reset_fighters starts the scores again: the match's stay.
    for (int i = 0; i < records && i < g->built_players; i++) {
        get_players()[i].score = kept[i].score;
        get_players()[i].injury = kept[i].injury;
        get_players()[i].disqualified = kept[i].disqualified;
    }
    clear_contact_records();
    for (int i = 0; i < fighter_count(); i++) {
        relax_all(i);
        player_switch_on(i);
    }
    apply_world_forces();
}

// ---- match reset ----

void reset_match(int keep_fighters)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    w->frame = 0;
    w->play_frame = 0;
    w->game_over = 0;
    set_record_mode(0);
    for (int i = 0; i < g->built_players; i++)
        get_player(i)->dq_time = get_player(i)->dq_start = 0;
    // Place first, then re-attach the hinges where the bodies now are: hinges
    // attached at the pose the last match ended in would pull the placed
    // fighter back towards that pose on the first step.
    if (!keep_fighters) {
        engage_placement(get_match_rules());
        reset_fighters();
    }
    delete_all_grip_joints();
    clear_contact_records();
    clear_ground_impacts();
    clear_pending_breaks();
    clear_body_fractures();
    reset_blood_drops();
    refresh_env_objects();
    game_centerprint_clear();
    for (int i = 0; i < g->built_players; i++)
        clear_player_emote(i);
    for (int i = 0; i < fighter_count(); i++)
        relax_all(i);
    for (int i = 0; i < MAX_FIGHTERS; i++)
        w->winners[i] = w->losers[i] = -1;
    apply_world_forces();
    if (option_get(OPT_BENCHMARK))
        w->start_time = (int32_t)time(nullptr);
    game_trails_reset();
}
