// Matches set up and played as a player would, tick by tick. Plain
// functions, shared by the match test fixtures, the script and control tests
// and the match benchmark.
#pragma once
#include <sys/stat.h>
#include <string>
#include <vector>
#include "app/base/text.h"
#include "game/frame_cache.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "game/world_physics.h"
#include "game/turn_control.h"
#include "support/test_support.h"

// The built-in world with only the match length (500 frames), one turn
// length and gravity set on the rules, reset to frame 0. 0 on success.
inline int start_plain_match(int turn_frames)
{
    if (init_game() != 0)
        return 1;
    MatchRules *r = get_match_rules();
    r->matchframes = 500;
    r->turnframe_list[0] = turn_frames;
    r->turnframe_count = 1;
    r->gravity[2] = -9.82f;
    apply_world_forces();
    get_game_globals()->replay_mode = 0;
    reset_match(0);
    truncate_replay(0);
    return 0;
}

// A new single-play match at frame 0, world frozen, fighter 1 holding.
inline void start_single_play_match()
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    g->replay_mode = 0;
    g->network_mode = 0;
    g->selected_player = -1;
    set_ghost_option(GHOST_OPTION_ONE);
    if (w->ghost_mode != 0)
        leave_ghost_mode();
    frame_cache_clear();
    clear_emote_history();
    reset_match(0);
    truncate_replay(0);
    w->turn_index = 0;
    w->frames_left = 0;
    w->end_frame = 0;
    w->decision_frame = -1;
    w->gameover_timelimit = 0;
    w->ghost_length = 100;
    w->ghost_row = 0;
    w->frozen = 1;
    set_all_joint_states(1, MOTOR_HOLD);
}

// The live world waits for the player's turn.
inline bool match_waiting()
{
    const WorldState *w = get_game_state();
    return !w->game_over && w->frames_left == 0 && (w->frozen || w->ghost_mode != 0) &&
           get_game_globals()->replay_mode == 0;
}

// Scripted joint states for turn t (the same in every run).
inline void script_turn(int t)
{
    for (int i = 0; i < get_game_state()->players; i++)
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(i, j, 1 + (t * 7 + j * 3 + i * 5) % 4);
}

// Plays one turn as a player: joint states, a preview of ghost_ticks ticks,
// commit, then ticks until the world waits again or the match ends. Returns
// the frames the match advanced; *ticks (when given) grows by the ticks run.
inline int play_turn(int t, int ghost_ticks, long *ticks = nullptr)
{
    script_turn(t);
    restart_ghost(1);
    for (int k = 0; k < ghost_ticks; k++)
        run_match_tick(0);
    commit_turn(0);
    long run = ghost_ticks;
    int steps = 0;
    while (!match_waiting() && !get_game_state()->game_over) {
        const int before = get_game_state()->frame;
        run_match_tick(0);
        run++;
        steps += get_game_state()->frame - before;
    }
    if (ticks)
        *ticks += run;
    return steps;
}

// Positions of every body of both fighters, in order.
inline std::vector<double> body_positions()
{
    std::vector<double> out;
    for (int i = 0; i < get_game_state()->players; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
            out.insert(out.end(), p, p + 3);
        }
    return out;
}

// In the current folder: a mod with a static object and two moving ones
// (one pushed by a thrust), and a new single-play match in it with the
// default rules, which rules receives. 0 on success.
inline int start_object_arena_match(MatchRules *rules)
{
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/arena.kxm", "env_obj 1\nflag 8\nenv_obj 2\npos 1.5 0 1.5\n"
                                             "env_obj 3\npos -1.5 0 0.5\nthrust 5 0 0 3\n");
    if (init_game() != 0)
        return 1;
    fill_default_rules(0, rules);
    n_strncpyz(rules->mod, "arena.kxm", sizeof rules->mod);
    new_match(0, 0, rules, 0);
    return 0;
}

// Collects the lines the game echoes to the player, from its making until
// stop() or its end, when the callbacks it replaced come back.
class EchoCapture {
public:
    EchoCapture() : kept_(*game_callbacks())
    {
        seen_ = &lines;
        game_callbacks()->echo = [](const char *text, int) { seen_->push_back(text); };
    }
    ~EchoCapture() { stop(); }
    EchoCapture(const EchoCapture &) = delete;
    EchoCapture &operator=(const EchoCapture &) = delete;
    void stop()
    {
        if (seen_ != &lines)
            return;
        *game_callbacks() = kept_;
        seen_ = nullptr;
    }
    std::vector<std::string> lines;

private:
    GameCallbacks kept_;
    static inline std::vector<std::string> *seen_ = nullptr;
};
