// One live world step of the two built-in fighters (collision, world step,
// contact group emptied) beside a bare dWorldStep of the same bodies and
// joints, and the ratio of the two measured in the same run.
#include <benchmark/benchmark.h>
#include <chrono>
#include "game/collision.h"
#include "game/world_physics.h"
#include "game/joints.h"
#include "game/world_options.h"
#include "game/world_setup.h"

namespace {

// The built-in world, both fighters holding every joint, settled for 200
// steps so that they stand on the ground.
void start_standing_world()
{
    start_running_world();
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    apply_pending_wishes();
    for (int k = 0; k < 200; k++) {
        world_physics_step();
        clear_contact_records();
    }
}

void live_step()
{
    world_physics_step();
    clear_contact_records();
}

void bare_step()
{
    dWorldStep(get_game_globals()->world, get_world_options()->stepsize);
}

void BM_LiveWorldStep(benchmark::State &state)
{
    start_standing_world();
    for (auto _ : state)
        live_step();
    free_game();
}
BENCHMARK(BM_LiveWorldStep);

// A bare step has no contacts; its cost does not depend on where the
// fighters are, so they may fall freely.
void BM_BareWorldStep(benchmark::State &state)
{
    start_standing_world();
    for (auto _ : state)
        bare_step();
    free_game();
}
BENCHMARK(BM_BareWorldStep);

// Both figures from one run: 500 live steps from the standing start, then 500
// bare steps from the same start. The counters give each mean time in
// microseconds and their ratio.
void BM_LiveOverBareRatio(benchmark::State &state)
{
    using clock = std::chrono::steady_clock;
    const int steps = 500;
    double live_s = 0, bare_s = 0;
    for (auto _ : state) {
        start_standing_world();
        auto t0 = clock::now();
        for (int k = 0; k < steps; k++)
            live_step();
        live_s += std::chrono::duration<double>(clock::now() - t0).count();
        free_game();
        start_standing_world();
        t0 = clock::now();
        for (int k = 0; k < steps; k++)
            bare_step();
        bare_s += std::chrono::duration<double>(clock::now() - t0).count();
        free_game();
    }
    const double n = (double)state.iterations() * steps;
    state.counters["live_us"] = live_s / n * 1e6;
    state.counters["bare_us"] = bare_s / n * 1e6;
    state.counters["ratio"] = bare_s > 0 ? live_s / bare_s : 0;
}
BENCHMARK(BM_LiveOverBareRatio)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
