// Reading a 256-frame replay file and playing it to its end, headless: the
// file comes from a default match in which a held grip makes every frame
// count, so the buffer fills at 256 frames. Reports milliseconds per replay,
// and the part of it spent reading the file.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include "app/base/options.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "game/protocol/replay_file.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "game/turn_control.h"

namespace {

using replay_clock = std::chrono::steady_clock;

// Plays a match until it has recorded 256 frames and writes it to path.
bool write_full_replay(const char *path)
{
    MatchRules r;
    fill_default_rules(0, &r);
    *get_next_match_rules() = r;
    new_match(0, 0, &r, 0);
    set_player_name(0, "A");
    set_player_name(1, "B");
    set_grip(0, L_HAND, GRIP_ON);
    for (int t = 0; get_game_state()->frames_recorded < REPLAY_FRAMES_START && t < 40; t++) {
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < JOINT_COUNT; j++)
                fighter_set_joint_state(i, j, 1 + (t * 7 + j * 3 + i * 5) % 4);
        start_turn_frames(10);
        for (int k = 0; k < 10; k++)
            run_match_tick(0);
    }
    return get_game_state()->frames_recorded >= REPLAY_FRAMES_START && write_replay(path, 0) == 0;
}

// The world and the file are made once per process: the benchmark library
// calls the function more than once, and one replay file serves every run.
const char *replay_path(void)
{
    static std::string path;
    if (!path.empty())
        return path.c_str();
    char folder[] = "/tmp/kx_replay_bench_XXXXXX";
    if (!mkdtemp(folder))
        return nullptr;
    init_game();
    const std::string file = std::string(folder) + "/bench.rpl";
    if (!write_full_replay(file.c_str()))
        return nullptr;
    path = file;
    return path.c_str();
}

void BM_ReadAndPlayReplay(benchmark::State &state)
{
    const char *path = replay_path();
    if (!path) {
        state.SkipWithError("the replay did not fill 256 frames");
        return;
    }
    WorldState *w = get_game_state();
    double read_seconds = 0;
    long frames = 0;
    for (auto _ : state) {
        const auto t0 = replay_clock::now();
        if (read_replay_file(path) != 0) {
            state.SkipWithError("read failed");
            break;
        }
        read_seconds += std::chrono::duration<double>(replay_clock::now() - t0).count();
        start_playback(0);
        while (w->play_frame < w->frames_recorded && !w->game_over)
            run_match_tick(0);
        frames += w->frame;
    }
    state.counters["read_ms"] = benchmark::Counter(read_seconds * 1000.0 / (double)state.iterations());
    state.counters["frames_played"] = benchmark::Counter((double)frames / (double)state.iterations());
}
BENCHMARK(BM_ReadAndPlayReplay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
