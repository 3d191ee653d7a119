// A 500-frame match played twice in one run, in turns of 10 with scripted
// joint states: first in single play, then as a network match against the
// tests' own game server on 127.0.0.1, which answers every turn with the
// other fighter's moves and both fighters' state as single play left them.
// Reports the client's time per match frame in both (the time inside its
// ticks and commits; the server's side is not counted) and their ratio.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "game/game_callbacks.h"
#include "game/match_setup.h"
#include "net/game_connection.h"
#include "support/loopback_server.h"
#include "support/match_server_lines.h"

using bench_clock = std::chrono::steady_clock;

namespace {

constexpr int MATCH_FRAMES = 500;
constexpr int TURN_FRAMES = 10;

int g_single_frames, g_network_frames;

int script_state(int t, int i, int j) { return 1 + (t * 7 + j * 3 + i * 5) % 4; }

MatchRules bench_rules()
{
    MatchRules r = kxtest::turn_match_rules(MATCH_FRAMES, 100000);
    // The whole 500 frames: no disqualification ends it early.
    r.flags &= ~RULE_FLAG_DQ;
    r.dojosize = 0;
    r.gravity[0] = r.gravity[1] = 0;
    r.gravity[2] = -9.82f;
    return r;
}

struct Timer {
    double seconds = 0;
    long ticks = 0;
    template <typename Fn> void run(Fn fn)
    {
        const auto t0 = bench_clock::now();
        fn();
        seconds += std::chrono::duration<double>(bench_clock::now() - t0).count();
    }
};

using kxtest::waiting_for_turn;

// Single play, with preview_ticks ticks of the ghost preview before every
// commit (a player looking at the coming turn); keeps both fighters' state
// at the end of every turn.
double single_play(int preview_ticks, std::vector<std::array<kxtest::SentState, 2>> *states, long *ticks)
{
    MatchRules r = bench_rules();
    *get_next_match_rules() = r;
    new_match(0, 0, get_next_match_rules(), 1);
    set_ghost_option(GHOST_OPTION_ONE);
    Timer timer;
    WorldState *w = get_game_state();
    for (int t = 0; !w->game_over; t++) {
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < JOINT_COUNT; j++)
                fighter_set_joint_state(i, j, script_state(t, i, j));
        restart_ghost(1);
        for (int k = 0; k < preview_ticks; k++) {
            timer.run([] { run_match_tick(0); });
            timer.ticks++;
        }
        timer.run([] { commit_turn(0); });
        while (!waiting_for_turn() && !w->game_over) {
            timer.run([] { run_match_tick(0); });
            timer.ticks++;
        }
        states->push_back({kxtest::state_from_world(0, 0), kxtest::state_from_world(1, 0)});
    }
    *ticks = timer.ticks;
    g_single_frames = w->frame;
    return timer.seconds / w->frame;
}

// The same turns against the loopback server.
double network_play(const std::vector<std::array<kxtest::SentState, 2>> &states, long *ticks)
{
    kxtest::LoopbackServer server;
    if (net_connect_server(server.address().c_str()) != 0 || !server.accept_client())
        return -1;
    const MatchRules r = bench_rules();
    server.send(kxtest::match_opening(r, 7, 9));
    Timer timer;
    WorldState *w = get_game_state();
    const int fd = net_socket_fd(net_game_socket());
    const auto tick = [&] {
        timer.run([] {
            if (net_game_connected())
                net_poll();
            run_match_tick(0);
        });
        timer.ticks++;
    };
    for (int k = 0; k < 1000 && get_game_globals()->own_slot != 0; k++) {
        kxtest::wait_readable(fd, 1);
        tick();
    }
    for (size_t t = 0; t < states.size() && !w->game_over; t++) {
        for (int k = 0; k < 1000 && !waiting_for_turn(); k++)
            tick();
        int moves1[JOINT_COUNT];
        for (int j = 0; j < JOINT_COUNT; j++) {
            fighter_set_joint_state(0, j, script_state((int)t, 0, j));
            moves1[j] = script_state((int)t, 1, j);
        }
        timer.run([] { commit_turn(0); });
        if (server.read_until("BATCH 0;").empty())
            return -1;
        const int end = w->frame + TURN_FRAMES;
        std::string reply = kxtest::turn_reply(end, states[t].data(), 0, 0, moves1);
        if (end >= MATCH_FRAMES)
            reply.insert(reply.find("GAME "), "WIN " + std::to_string(end) + ";0 0 1 0 0 0.0 0.0 0.0 0\n");
        server.send(reply);
        for (int k = 0; k < 2000 && !(w->frame >= end && (waiting_for_turn() || w->game_over)); k++)
            tick();
    }
    *ticks = timer.ticks;
    const int frames = w->frame;
    g_network_frames = frames;
    net_close_game();
    return frames > 0 ? timer.seconds / frames : -1;
}

// The network client reads two messages on every third tick; its reply to
// a turn is 14 messages, so it waits about 21 ticks per turn with the ghost
// preview running, as a player in single play would while deciding. The
// fair single play of the same turns previews as long; the plain one not
// at all.
constexpr int REPLY_MESSAGES = 14;
constexpr int MATCHED_PREVIEW = (REPLY_MESSAGES + 1) / 2 * 3;

void BM_NetworkMatchAgainstSinglePlay(benchmark::State &state)
{
    init_game();
    net_install_callbacks();
    double single = 0, plain = 0, network = 0;
    long single_ticks = 0, plain_ticks = 0, network_ticks = 0;
    for (auto _ : state) {
        std::vector<std::array<kxtest::SentState, 2>> states, unused;
        plain += single_play(0, &states, &plain_ticks);
        single += single_play(MATCHED_PREVIEW, &unused, &single_ticks);
        network += network_play(states, &network_ticks);
    }
    const double n = (double)state.iterations();
    state.counters["single_us_per_frame"] = 1e6 * single / n;
    state.counters["single_no_preview_us_per_frame"] = 1e6 * plain / n;
    state.counters["network_us_per_frame"] = 1e6 * network / n;
    state.counters["ratio"] = network / single;
    state.counters["ratio_to_no_preview"] = network / plain;
    state.counters["single_ticks"] = (double)single_ticks;
    state.counters["single_no_preview_ticks"] = (double)plain_ticks;
    state.counters["single_frames"] = g_single_frames;
    state.counters["network_frames"] = g_network_frames;
    state.counters["network_ticks"] = (double)network_ticks;
    free_game();
}
BENCHMARK(BM_NetworkMatchAgainstSinglePlay)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
