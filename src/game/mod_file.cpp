// Loading mods: the loaded ModWorld record, "data/mod/%s" and the players'
// overlays "custom/%s/rpg.kxm", the hand-over to the world build, and the
// reset every new match makes.
#include <cstdio>
#include <cstring>
#include "app/base/data_dirs.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/mod_file.h"
#include "game/mod_statements.h"
#include "game/world_build.h"

static ModWorld g_loaded;
static bool g_loaded_ready;

// Before the first load the record holds the built-in world, so that a
// match reset without a load still has the world colours and friction.
ModWorld *get_loaded_mod_world(void)
{
    if (!g_loaded_ready) {
        mod_world_reset(&g_loaded);
        g_loaded_ready = true;
    }
    return &g_loaded;
}

static void reset_parser(int player, int no_player_statement)
{
    ModParser *ps = mod_parser_state();
    ps->player = player;
    ps->no_player_statement = no_player_statement;
    ps->body = ps->joint = ps->object = ps->object_joint = -1;
    ps->mode = MOD_MODE_NONE;
    ps->overlay = 0;
    ps->version = 0;
    ps->message[0] = '\0';
}

// Parses every line of f. A line longer than MOD_LINE_MAX characters (its
// line end not counted) is dropped whole with a message instead of being
// read as several statements; the count is of the bytes read, so a NUL
// inside a line cannot hide its length. A statement ends at a NUL.
static void parse_mod_stream(FILE *f, const char *path)
{
    char buf[MOD_LINE_MAX + 3];   // the longest line with "\r\n"
    int line_no = 0;
    for (;;) {
        size_t len = 0, content = 0;
        bool too_long = false;
        int c;
        while ((c = fgetc(f)) != EOF && c != '\n') {
            if (c != '\r')
                content = len + 1;   // a CR counts only inside the line
            if (len < sizeof buf - 2)
                buf[len] = (char)c;
            len++;
            too_long = too_long || content > MOD_LINE_MAX || len > MOD_LINE_MAX + 1;
        }
        if (c == EOF && len == 0)
            break;
        line_no++;
        if (too_long) {
            fprintf(stderr, "%s: line %d longer than %d characters ignored\n", path, line_no, MOD_LINE_MAX);
            fflush(stderr);
        } else {
            buf[len] = '\0';
            parse_mod_cmd(buf);
        }
        if (c == EOF)
            break;
    }
}

int load_mod(const char *name)
{
    if (!name)
        name = "";
    MatchRules *rules = get_mod_rules();
    fill_default_rules(0, rules);
    n_strncpyz(rules->mod, name, RULES_TEXT_SIZE);

    mod_world_reset(&g_loaded);
    g_loaded_ready = true;
    reset_parser(0, 1);

    // Mods may sit in folders under data/mod, but no part of the name may
    // climb out of it or start at the root.
    if (!rules_mod_name_ok(name)) {
        fprintf(stderr, "Unable to open mod data/mod/%s\n", name);
        return 1;
    }
    char path[RULES_TEXT_SIZE + 16];
    snprintf(path, sizeof path, "data/mod/%s", name);
    FILE *f = fopen_regular(data_path(path), "rb");
    if (!f) {
        fprintf(stderr, "Unable to open mod data/mod/%s\n", name);
        return 1;
    }
    parse_mod_stream(f, path);
    fclose(f);
    return 0;
}

// Slot i of the record: player 0's tables for every slot when the mod named
// no player, else player i modulo the number of players.
static void point_slots(ModWorld *m, int players)
{
    const int shared = mod_parser_state()->no_player_statement;
    for (int s = 0; s < MOD_PLAYER_SLOTS; s++) {
        const int p = shared ? 0 : s % players;
        m->body_tables[s] = get_loaded_body_table(p);
        m->joint_tables[s] = get_loaded_joint_table(p);
    }
}

static bool players_ok(int players) { return players >= 1 && players <= MAX_FIGHTERS; }

int load_rpg_mod(int player, const char *name)
{
    ModWorld *m = get_loaded_mod_world();
    if (!name)
        name = "";
    if (player < 0 || player > 1) {
        fprintf(stderr, "Invalid player index: %d\n", player);
        return 1;
    }
    ModParser *ps = mod_parser_state();
    const int shared = ps->no_player_statement;
    reset_parser(player, 0);

    if (strlen(name) >= RULES_TEXT_SIZE || !is_safe_path(name, 0)) {
        fprintf(stderr, "Fighter name \"%s\" is not a folder name under custom\n", name);
        printf("Unable to open mod custom/%s/rpg.kxm\n", name);
        fflush(stdout);
        return 1;
    }
    char path[RULES_TEXT_SIZE + 32];
    snprintf(path, sizeof path, "custom/%s/rpg.kxm", name);
    FILE *f = fopen_regular(data_path(path), "rb");
    if (!f) {
        printf("Unable to open mod custom/%s/rpg.kxm\n", name);
        fflush(stdout);
        return 1;
    }
    // While the loaded mod gives every fighter player 0's tables, an overlay
    // for one player must not reach the other: both players start from the
    // mod's definitions, and from now on each slot keeps its own player.
    if (shared) {
        memcpy(get_loaded_body_table(1), get_loaded_body_table(0), sizeof(BodyDef) * BODY_DEF_ROWS);
        memcpy(get_loaded_joint_table(1), get_loaded_joint_table(0), sizeof(JointDef) * JOINT_DEF_ROWS);
    }
    const int players = get_game_state()->players;
    point_slots(m, players_ok(players) ? players : MAX_FIGHTERS);

    ps->overlay = 1;
    parse_mod_stream(f, path);
    ps->overlay = 0;
    fclose(f);
    return 0;
}

ModWorld *build_mod_world(void)
{
    ModWorld *m = get_loaded_mod_world();
    const int players = get_game_state()->players;
    if (!players_ok(players)) {
        fprintf(stderr, "Cannot build a mod world for %d players (1 or 2 needed)\n", players);
        return nullptr;
    }
    point_slots(m, players);
    const ModParser *ps = get_mod_parser();
    m->version = ps->version;
    n_strncpyz(m->message, ps->message, sizeof m->message);

    // Sizes, masses and densities the physics engine cannot take are
    // reported here and replaced by the built-in values.
    for (int p = 0; p < 2; p++) {
        sanitize_fighter_tables(get_loaded_body_table(p), get_loaded_joint_table(p));
    }
    for (int i = 0; i < ENV_OBJECT_COUNT; i++)
        if (m->env_objects[i].defined)
            sanitize_env_object(&m->env_objects[i], i);
    for (int i = 0; i < ENV_JOINT_COUNT; i++)
        sanitize_env_joint(&m->env_joints[i], i, m->env_objects);
    return m;
}

void reset_env_objects(void)
{
    ModWorld *m = get_loaded_mod_world();
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        env_object_reset(&m->env_objects[i]);
        m->env_objects[i].friction = 0.0;
    }
    memset(m->env_joints, 0, sizeof m->env_joints);
    for (int p = 0; p < 2; p++) {
        memcpy(get_loaded_body_table(p), builtin_body_table(), sizeof(BodyDef) * BODY_DEF_ROWS);
        memcpy(get_loaded_joint_table(p), builtin_joint_table(), sizeof(JointDef) * JOINT_DEF_ROWS);
        JointDef *joints = get_loaded_joint_table(p);
        for (int j = 0; j < JOINT_DEF_ROWS; j++)
            joints[j].dm_threshold = -1;
    }
}
