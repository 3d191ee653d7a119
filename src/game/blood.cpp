// Blood drops: a ring of 256 small bodies in the live space that collide only
// with the ground. Hits and dismemberments take the next drop of the ring.
// A drop's geom is enabled from its first placement to the next reset, so
// that the space's collision passes over the unused ones: the pairs it tests
// and their order are otherwise the same.
#include "game/blood.h"
#include <cmath>
#include <cstring>
#include "game/body_defs.h"
#include "game/game_state.h"
#include "game/mod_world.h"
#include "game/world_physics.h"
#include "game/game_callbacks.h"

static BloodDrop g_drops[BLOOD_DROP_COUNT];
static int g_cursor;
static float g_default_color[3];
static double g_splash_amount;
static int g_splash_count;

BloodDrop *get_blood_drop(int i) { return (i >= 0 && i < BLOOD_DROP_COUNT) ? &g_drops[i] : nullptr; }
int get_blood_cursor(void) { return g_cursor; }

void create_blood_drops(void)
{
    GameGlobals *g = get_game_globals();
    float rgb[3];
    game_colour_rgb(COLOR_BLOOD, rgb);
    blood_set_default_color(rgb[0], rgb[1], rgb[2]);
    for (int i = 0; i < BLOOD_DROP_COUNT; i++) {
        BloodDrop *d = &g_drops[i];
        memset(d, 0, sizeof *d);
        d->geom = dCreateSphere(g->space, 0.1);
        d->body = dBodyCreate(g->world);
        dMass m;
        dMassSetBoxTotal(&m, 0.1, 1, 1, 1);
        dBodySetMass(d->body, &m);
        dGeomSetBody(d->geom, d->body);
        dBodySetPosition(d->body, 0, 10, i + 1);
        dGeomSetCategoryBits(d->geom, CAT_BLOOD);
        dGeomSetCollideBits(d->geom, COLLIDE_BLOOD);
        GeomRecord *rec = take_geom_record();
        if (rec) {
            rec->kind = GEOM_BLOOD;
            rec->index = i;
            rec->blood_index = i;
            rec->bounce = 3.0;
            rec->friction = get_mod_world()->friction;
        }
        dGeomSetData(d->geom, rec);
        dBodyDisable(d->body);
        // An unused drop stays out of the collision until it is placed.
        dGeomDisable(d->geom);
        d->base_size = (float)(std::fabs(2.0 * std::sin(std::tan((double)i))) * 0.01 + 0.005);
        d->size = d->base_size;
    }
    g_cursor = 0;
}

void forget_blood_drops(void)
{
    memset(g_drops, 0, sizeof g_drops);
    g_cursor = 0;
}

void reset_blood_drops(void)
{
    g_splash_amount = 0;
    for (int i = 0; i < BLOOD_DROP_COUNT; i++) {
        BloodDrop *d = &g_drops[i];
        if (!d->body)
            continue;
        dBodySetPosition(d->body, 0, 20 + i, 2 + i);
        // Unturned and without force, as built. A drop rolls on the ground;
        // a turn left from the last match rounds its next flight
        // differently, and through the shared world step the fighters' too
        // (a scripted match parted from the same match on a new world in
        // the last bit at frame 392). A disabled drop also keeps the forces
        // added to it before it was switched off.
        const dQuaternion unturned = {1, 0, 0, 0};
        dBodySetQuaternion(d->body, unturned);
        dBodySetLinearVel(d->body, 0, 0, 0);
        dBodySetAngularVel(d->body, 0, 0, 0);
        dBodySetForce(d->body, 0, 0, 0);
        dBodySetTorque(d->body, 0, 0, 0);
        dBodyDisable(d->body);
        dGeomDisable(d->geom);
        d->life = 0;
        d->color_index = 0;
        d->body_id = 0;
        // A contact drop keeps the size it has, so a size left by the last
        // match's bleeding would change the new match's splash sounds.
        d->size = d->base_size;
    }
    g_cursor = 0;
}

static void place_drop(BloodDrop *d, double x, double y, double z)
{
    dBodySetPosition(d->body, x, y, z);
    dBodySetLinearVel(d->body, 0, 0, 0);
    dBodySetAngularVel(d->body, 0, 0, 0);
    dBodyEnable(d->body);
    dGeomEnable(d->geom);
}

void spawn_blood(int fighter, int body, double x, double y, double z)
{
    // The contact path never takes drop 255.
    if (g_cursor >= BLOOD_DROP_COUNT - 1)
        g_cursor = 0;
    BloodDrop *d = &g_drops[g_cursor];
    if (!d->body)
        return;
    d->life = 50;
    d->color_index = game_fighter_blood_colour(fighter);
    d->fighter = fighter;
    d->body_id = body;
    place_drop(d, x, y, z);
    g_cursor++;
}

void spawn_bleed_drop(int fighter, int body, const double *point, const double *direction,
                      double speed, double factor)
{
    if (g_cursor >= BLOOD_DROP_COUNT)
        g_cursor = 0;
    BloodDrop *d = &g_drops[g_cursor];
    if (!d->body)
        return;
    d->fighter = fighter;
    d->life = 50;
    d->color_index = game_fighter_blood_colour(fighter);
    game_colour_rgb(d->color_index, d->color);
    d->body_id = body;
    float size = (float)(d->base_size * factor);
    if (size < 0.01f)
        size = 0.01f;
    else if (size > 0.05f)
        size = 0.03f;
    d->size = size;
    const double b = d->base_size;
    place_drop(d, point[0] + b, point[1] + b, point[2] + b);
    dBodySetLinearVel(d->body, direction[0] * speed, direction[1] * speed, direction[2] * speed);
    g_cursor++;
}

// A fighter's blood colour row may be brighter than 1; it is held to 1
// while the colour clamp is on.
static int g_colour_clamp = 1;

void set_blood_colour_clamp(int on) { g_colour_clamp = on ? 1 : 0; }
int blood_colour_clamp(void) { return g_colour_clamp; }

static void drop_color(const BloodDrop *d, float *rgb)
{
    if (d->color_index != 0) {
        game_colour_rgb(d->color_index, rgb);
        for (int k = 0; g_colour_clamp && k < 3; k++)
            if (rgb[k] > 1.0f)
                rgb[k] = 1.0f;
        return;
    }
    memcpy(rgb, g_default_color, sizeof g_default_color);
}

static void drop_state(const BloodDrop *d, float *pos, float *vel)
{
    const dReal *p = dBodyGetPosition(d->body);
    const dReal *v = dBodyGetLinearVel(d->body);
    for (int k = 0; k < 3; k++) {
        pos[k] = (float)p[k];
        vel[k] = (float)v[k];
    }
}

void blood_splash(int drop, double squared_speed)
{
    BloodDrop *d = get_blood_drop(drop);
    if (!d || !d->body)
        return;
    g_splash_count++;
    g_splash_amount += d->size * squared_speed * 100.0;
    float pos[3], vel[3], rgb[3];
    drop_state(d, pos, vel);
    drop_color(d, rgb);
    game_blood_stain(pos, vel, d->size, rgb);
}

double get_blood_splash(void) { return g_splash_amount; }
int get_blood_splash_count(void) { return g_splash_count; }

void reset_blood_splash(double value)
{
    g_splash_count = 0;
    g_splash_amount = value;
}

void set_blood_use_player_color(int flag)
{
    for (BloodDrop &d : g_drops)
        d.color_index = flag;
}

void blood_set_default_color(float r, float g, float b)
{
    g_default_color[0] = r;
    g_default_color[1] = g;
    g_default_color[2] = b;
}

void disable_blood_drops(void)
{
    for (BloodDrop &d : g_drops)
        if (d.body)
            dBodyDisable(d.body);
}

void enable_live_blood_drops(void)
{
    for (BloodDrop &d : g_drops)
        if (d.body && d.life > 0)
            dBodyEnable(d.body);
}

int blood_drops_placed(void)
{
    for (const BloodDrop &d : g_drops)
        if (d.geom && dGeomIsEnabled(d.geom))
            return 1;
    return 0;
}

void blood_drops_drag(void)
{
    for (BloodDrop &d : g_drops)
        if (d.body && d.life != 0)
            air_drag(d.body);
}

void draw_blood_drops(void)
{
    for (const BloodDrop &d : g_drops) {
        if (!d.body || d.life == 0)
            continue;
        float pos[3], vel[3], rgb[3];
        drop_state(&d, pos, vel);
        pos[2] -= 0.1f - d.size;
        drop_color(&d, rgb);
        game_blood_drop(pos, vel, d.size, rgb);
    }
}
