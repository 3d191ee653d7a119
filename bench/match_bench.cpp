// A whole default match, headless: 500 frames in turns of 10, scripted joint
// states every turn, and a ghost preview of the next turn before each commit
// (0, 20 or the full 100 ticks). Reports live frames per second and, from the
// same run, the share of the time spent inside ODE's own step (dWorldStep is
// wrapped at link time, see match_bench.cmake).
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <ode/ode.h>
#include "game/frame_cache.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/turn_seam.h"
#include "game/world_build.h"
#include "net/turn_control.h"

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

void new_match()
{
    WorldState *w = get_game_state();
    get_game_globals()->replay_mode = 0;
    get_game_globals()->selected_player = -1;
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    frame_cache_clear();
    clear_emote_history();
    reset_match(0);
    truncate_replay(0);
    w->turn_index = 0;
    w->frames_left = 0;
    w->end_frame = 0;
    w->frozen = 1;
    set_all_joint_states(1, MOTOR_HOLD);
}

bool waiting()
{
    const WorldState *w = get_game_state();
    return !w->game_over && w->frames_left == 0 && (w->frozen || w->ghost_mode != 0);
}

// Plays the match to its end; returns the ticks run.
long play_match(int preview_ticks)
{
    WorldState *w = get_game_state();
    long ticks = 0;
    for (int t = 0; !w->game_over; t++) {
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < JOINT_COUNT; j++)
                fighter_set_joint_state(i, j, 1 + (t * 7 + j * 3 + i * 5) % 4);
        restart_ghost(1);
        for (int k = 0; k < preview_ticks; k++, ticks++)
            run_match_tick(0);
        commit_turn(0);
        while (!waiting() && !w->game_over) {
            run_match_tick(0);
            ticks++;
        }
    }
    return ticks;
}

void BM_WholeDefaultMatch(benchmark::State &state)
{
    init_game();
    fill_default_rules(0, get_match_rules());
    apply_world_forces();
    const int preview = (int)state.range(0);
    double seconds = 0, step_seconds = 0;
    long frames = 0, ticks = 0, steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        new_match();
        g_step_seconds = 0;
        g_step_calls = 0;
        state.ResumeTiming();
        const auto t0 = bench_clock::now();
        ticks += play_match(preview);
        seconds += std::chrono::duration<double>(bench_clock::now() - t0).count();
        frames += get_game_state()->frame;
        step_seconds += g_step_seconds;
        steps += g_step_calls;
    }
    state.counters["live_fps"] = frames / seconds;
    state.counters["ticks_per_s"] = ticks / seconds;
    state.counters["dWorldStep_share"] = step_seconds / seconds;
    state.counters["steps_per_match"] = (double)steps / state.iterations();
    free_game();
}
BENCHMARK(BM_WholeDefaultMatch)->Arg(0)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
