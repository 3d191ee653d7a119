// A whole default match, headless: 500 frames in turns of 10, scripted joint
// states every turn, and a ghost preview of the next turn before each commit
// (0, 20 or the full 100 ticks). Reports live frames per second and, from the
// same run, the share of the time spent inside ODE's own step (dWorldStep is
// wrapped at link time, see match_bench.cmake).
// Under the default rules this script tears a knee early, and a torn
// joint bleeds every frame, so much of that match goes to blood drops; the
// same match without dismemberment and fracture shows the speed of the
// fighters' own simulation beside it.
#include <benchmark/benchmark.h>
#include <chrono>
#include <ode/ode.h>
#include "game/match_setup.h"

using bench_clock = std::chrono::steady_clock;

static double g_step_seconds;
static long g_step_calls;

extern "C" {
void __real_dWorldStep(dWorldID w, dReal stepsize);
void __wrap_dWorldStep(dWorldID w, dReal stepsize)
{
    const auto t0 = bench_clock::now();
    __real_dWorldStep(w, stepsize);
    g_step_seconds += std::chrono::duration<double>(bench_clock::now() - t0).count();
    g_step_calls++;
}
}

namespace {

// Plays the match to its end; returns the ticks run.
long play_match(int preview_ticks)
{
    long ticks = 0;
    for (int t = 0; !get_game_state()->game_over; t++)
        play_turn(t, preview_ticks, &ticks);
    return ticks;
}

// Joints of both fighters broken (torn or fractured) at the match's end.
int broken_joints()
{
    int n = 0;
    for (int i = 0; i < get_game_state()->players; i++)
        for (int j = 0; j < JOINT_COUNT; j++)
            n += get_player(i)->joints[j].broken != JOINT_INTACT;
    return n;
}

void run_whole_match(benchmark::State &state, bool breaks)
{
    init_game();
    fill_default_rules(0, get_match_rules());
    if (!breaks)
        get_match_rules()->flags &= ~(RULE_FLAG_DISMEMBER | RULE_FLAG_FRACTURE);
    apply_world_forces();
    const int preview = (int)state.range(0);
    double seconds = 0, step_seconds = 0;
    long frames = 0, ticks = 0, steps = 0, broken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        start_single_play_match();
        g_step_seconds = 0;
        g_step_calls = 0;
        state.ResumeTiming();
        const auto t0 = bench_clock::now();
        ticks += play_match(preview);
        seconds += std::chrono::duration<double>(bench_clock::now() - t0).count();
        frames += get_game_state()->frame;
        step_seconds += g_step_seconds;
        steps += g_step_calls;
        broken += broken_joints();
    }
    state.counters["live_fps"] = frames / seconds;
    state.counters["ticks_per_s"] = ticks / seconds;
    state.counters["dWorldStep_share"] = step_seconds / seconds;
    state.counters["steps_per_match"] = (double)steps / state.iterations();
    state.counters["broken_joints"] = (double)broken / state.iterations();
    free_game();
}

void BM_WholeDefaultMatch(benchmark::State &state) { run_whole_match(state, true); }
BENCHMARK(BM_WholeDefaultMatch)->Arg(0)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WholeMatchWithoutBreaks(benchmark::State &state) { run_whole_match(state, false); }
BENCHMARK(BM_WholeMatchWithoutBreaks)->Arg(0)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
