#include <cmath>
#include "game/blood.h"
#include "game/collision.h"
#include "game/env_objects.h"
#include "game/mod_world.h"
#include "world_fixture.h"

static EnvObject &define_object(ModWorld *m, int i, uint32_t flag, double x, double y, double z)
{
    EnvObject &o = m->env_objects[i];
    env_object_reset(&o);
    o.defined = 1;
    o.flag = flag;
    o.pos[0] = x;
    o.pos[1] = y;
    o.pos[2] = z;
    return o;
}

TEST_F(WorldTest, StaticObjectNeverMovesButStillCollides)
{
    ModWorld *m = get_default_mod_world();
    EnvObject &floor_box = define_object(m, 0, ENV_FLAG_STATIC, 5, 5, 0.5);
    floor_box.force[2] = 100;
    floor_box.thrust_period = 1;
    floor_box.thrust[0] = 50;
    define_object(m, 1, 0, 5, 5, 1.5);  // a moving box dropped onto it
    define_object(m, 2, ENV_FLAG_STATIC, 1.0, 0.9, 2.3);  // inside fighter 0's arms
    ASSERT_EQ(init_world(m), 0);
    apply_world_forces();
    refresh_env_objects();
    EnvObjectBody *st = get_env_object(0);
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->body, nullptr);
    for (int f = 0; f < 300; f++) {
        apply_thrusts(f);
        st->apply_force();
        world_physics_step();
        clear_contact_records();
    }
    const dReal *p = dGeomGetPosition(st->geom);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[1], 5);
    EXPECT_EQ(p[2], 0.5);
    // The moving box rests on the static one (top at 0.75, its half side 0.25).
    const dReal *q = dBodyGetPosition(get_env_object(1)->body);
    EXPECT_GT(q[2], 0.9);
    EXPECT_LT(q[2], 1.1);
    // Fighter 0's bodies meet the static object in the arms.
    clear_contact_records();
    get_game_state()->frozen = 1;  // records still taken, no grips
    collide_space(get_game_globals()->space);
    bool fighter_hit = false;
    for (int k = 0; k < get_contact_count(); k++) {
        const ContactRecord &r = get_contact_records()[k];
        if (r.fighter[0] == 0 && r.other_kind == GEOM_ENV_OBJECT)
            fighter_hit = true;
    }
    dJointGroupEmpty(get_game_globals()->contact_group);
    EXPECT_TRUE(fighter_hit);
}

// Both rings wrap to drop 0 and reuse it: bleeding after 256 drops, contact
// blood after 255 (it never takes drop 255), starting at rest.
TEST_F(WorldTest, BloodRingsWrapAndReuseDropZero)
{
    const double point[3] = {1, 1, 1}, dir[3] = {0, 0, 1};
    for (int k = 0; k < 256; k++)
        spawn_bleed_drop(0, 21, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 256);
    get_blood_drop(0)->life = 7;
    spawn_bleed_drop(1, 22, point, dir, 4, 1.0);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(0)->life, 50);
    EXPECT_EQ(get_blood_drop(0)->body_id, 22);

    reset_blood_drops();
    for (int k = 0; k < 255; k++)
        spawn_blood(0, 3, 1, 1, 1);
    EXPECT_EQ(get_blood_cursor(), 255);
    spawn_blood(1, 4, 2, 2, 2);
    EXPECT_EQ(get_blood_cursor(), 1);
    EXPECT_EQ(get_blood_drop(255)->life, 0);
    const BloodDrop *d = get_blood_drop(0);
    EXPECT_EQ(d->fighter, 1);
    EXPECT_TRUE(dBodyIsEnabled(d->body));
    EXPECT_EQ(dBodyGetLinearVel(d->body)[2], 0);
    EXPECT_EQ(dBodyGetPosition(d->body)[0], 2);
}
