// Blood drops: a ring of 256 small physical drops in the live space.
#pragma once
#include <ode/ode.h>

// COLOR_BLOOD: the colour-table row of blood without a customisation.
enum { BLOOD_DROP_COUNT = 256, COLOR_BLOOD = 20 };

struct BloodDrop {
    dGeomID geom;
    dBodyID body;
    int life;
    int color_index;     // the fighter's blood colour row, 0 default colour
    float color[3];
    int body_id;
    int fighter;
    float size;
    float base_size;
};

void create_blood_drops(void);
// Forgets the engine objects (the world teardown destroys them).
void forget_blood_drops(void);
void reset_blood_drops(void);
void spawn_blood(int fighter, int body, double x, double y, double z);
void spawn_bleed_drop(int fighter, int body, const double *point, const double *direction,
                      double speed, double factor);
void blood_splash(int drop, double squared_speed);
double get_blood_splash(void);
int get_blood_splash_count(void);
void reset_blood_splash(double value);
void set_blood_use_player_color(int flag);
// The colour clamp (on at start): a fighter's blood colour is held to 1 per
// channel where drops are drawn and stains are left.
void set_blood_colour_clamp(int on);
int blood_colour_clamp(void);
void blood_set_default_color(float r, float g, float b);
void disable_blood_drops(void);
void enable_live_blood_drops(void);
// 1 when some drop has been placed since the last reset (its geom collides).
int blood_drops_placed(void);
void blood_drops_drag(void);
void draw_blood_drops(void);
BloodDrop *get_blood_drop(int i);
int get_blood_cursor(void);
