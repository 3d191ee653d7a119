// The start of a new single-play match with the rules of the last one (the
// world is kept, as a NEWGAME with unchanged rules does), after a played
// match has filled the per-frame records.
#include <benchmark/benchmark.h>
#include <cstring>
#include "game/match_start.h"
#include "game/match_setup.h"

namespace {

void BM_NewMatchSameRules(benchmark::State &state)
{
    init_game();
    MatchRules rules;
    memset(&rules, 0, sizeof rules);
    fill_default_rules(0, &rules);
    new_match(0, 0, &rules, 0);
    for (int t = 0; !get_game_state()->game_over; t++)
        play_turn(t, 0);
    for (auto _ : state)
        new_match(0, 0, &rules, 0);
    free_game();
}
BENCHMARK(BM_NewMatchSameRules)->Unit(benchmark::kMicrosecond);

} // namespace
