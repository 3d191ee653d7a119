// The world options file: "name value" lines that tune the contact surface
// values, gravity, CFM and the step size.
#include "game/world_options.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/utils.h"
#include "game/game_state.h"
#include "game/match_rules.h"

// The longest step the world takes, in seconds; longer steps carry the
// bodies too far in one go for the contacts to hold them.
static const float STEPSIZE_LIMIT = 0.1f;

static WorldOptions g_options;

WorldOptions *get_world_options(void)
{
    if (g_options.stepsize == 0)
        reset_world_options();
    return &g_options;
}

void reset_world_options(void)
{
    g_options.player_mu = 0.3f;
    g_options.soft_cfm = 0.1f;
    g_options.object_soft_cfm = 0.001f;
    g_options.ground_bounce = 0.1f;
    g_options.player_bounce = 0.1f;
    g_options.blood_bounce = 3.0f;
    g_options.blood_bounce_vel = 0.01f;
    g_options.ground_bounce_vel = 0.3f;
    g_options.player_bounce_vel = 0.05f;
    g_options.stepsize = 0.006f;
}

static void set_ignored(float) {}
static void set_player_mu(float v) { g_options.player_mu = v; }
static void set_ground_bounce(float v) { g_options.ground_bounce = v; }
static void set_ground_bounce_vel(float v) { g_options.ground_bounce_vel = v; }
static void set_player_bounce(float v) { g_options.player_bounce = v; }
static void set_player_bounce_vel(float v) { g_options.player_bounce_vel = v; }

static void set_gravity(float v)
{
    if (!(std::fabs(v) <= GRAVITY_LIMIT)) {
        fprintf(stderr, "world.gravity %f refused: beyond %g\n", v, (double)GRAVITY_LIMIT);
        return;
    }
    if (dWorldID w = get_game_globals()->world)
        dWorldSetGravity(w, 0, 0, v);
}

static void set_cfm(float v)
{
    if (v < 0) {
        fprintf(stderr, "world.cfm %f refused: below 0\n", v);
        return;
    }
    if (dWorldID w = get_game_globals()->world)
        dWorldSetCFM(w, v);
}

static void set_stepsize(float v)
{
    if (!(v > 0 && v <= STEPSIZE_LIMIT)) {
        fprintf(stderr, "world.stepsize %f refused, keeping %f\n", v, g_options.stepsize);
        return;
    }
    g_options.stepsize = v;
}

struct WorldOptionRow {
    const char *name;
    void (*set)(float);
};

static const WorldOptionRow k_rows[] = {
    {"ground.mu", set_ignored},
    {"player.mu", set_player_mu},
    {"ground.bounce", set_ground_bounce},
    {"ground.bounce_vel", set_ground_bounce_vel},
    {"player.bounce", set_player_bounce},
    {"player.bounce_vel", set_player_bounce_vel},
    {"world.gravity", set_gravity},
    {"world.cfm", set_cfm},
    {"world.stepsize", set_stepsize},
};

int load_world_options(const char *path)
{
    get_world_options();
    FILE *f = path ? fopen_regular(path, "r") : nullptr;
    if (!f)
        return 1;
    char line[1025];
    while (fgets(line, sizeof line, f)) {
        if (!strchr(line, '\n') && !feof(f)) {
            int c;
            while ((c = fgetc(f)) != EOF && c != '\n') {}
            fprintf(stderr, "World option line too long, ignored\n");
            continue;
        }
        if (line[0] == '#')
            continue;
        char name[256];
        if (sscanf(line, "%255s", name) != 1)
            continue;
        const WorldOptionRow *row = nullptr;
        for (const WorldOptionRow &r : k_rows)
            if (strcmp(r.name, name) == 0)
                row = &r;
        if (!row) {
            fprintf(stderr, "Unknown option %s\n", name);
            continue;
        }
        const char *rest = strstr(line, name) + strlen(name);
        char *end;
        const float v = strtof(rest, &end);
        if (end == rest) {
            fprintf(stderr, "World option %s has no value, ignored\n", name);
            continue;
        }
        if (!std::isfinite(v)) {
            fprintf(stderr, "World option %s: value not finite, ignored\n", name);
            continue;
        }
        row->set(v);
    }
    fclose(f);
    return 0;
}
