// The contact surface values and the world step size, tunable from the world
// options file.
#pragma once

struct WorldOptions {
    float player_mu;          // player.mu
    float soft_cfm;           // contact soft CFM
    float object_soft_cfm;    // soft CFM against environment objects
    float ground_bounce;      // ground.bounce
    float player_bounce;      // player.bounce
    float blood_bounce;
    float blood_bounce_vel;
    float ground_bounce_vel;  // ground.bounce_vel
    float player_bounce_vel;  // player.bounce_vel
    float stepsize;           // world.stepsize, seconds per world step
};

WorldOptions *get_world_options(void);
void reset_world_options(void);
// Reads "name value" lines; 0 read, 1 the file does not open.
int load_world_options(const char *path);
