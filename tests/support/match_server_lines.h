// What the tests' own game server says in a network match: the opening (the
// protocol version, the client's id, the bout list and the match's rules)
// and the reply to a turn that every fighter committed: the other fighter's
// moves, each fighter's state at the turn's end (as text lines or as binary
// blocks, from the protocol's state writers), the break lines and the GAME
// line. The state is the
// client's own at the turn's start, moved by a known shift, so that a test
// can tell that the client took the server's word for it.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <ode/ode.h>

#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/protocol/state_writers.h"
#include "game/turn_cycle.h"

namespace kxtest {

// The state the server sends for one fighter.
typedef FighterStateRecord SentState;

// The rules a scripted network match starts from: the default rules with
// turns of 10 frames, no opening frames and no hold frame.
inline MatchRules turn_match_rules(int matchframes, int reactiontime)
{
    MatchRules r;
    fill_default_rules(1, &r);
    r.matchframes = matchframes;
    rules_set_turnframes(&r, "10");
    r.opening_frames = 0;
    r.reactiontime = reactiontime;
    r.hold_frame = 0;
    return r;
}

// The client stands between turns: the match goes on with no frame left
// to play and the world stopped.
inline bool waiting_for_turn()
{
    const WorldState *w = get_game_state();
    return !w->game_over && w->frames_left == 0 && !game_is_running();
}

inline std::string match_opening(const MatchRules &rules, int own_id, int other_id)
{
    std::string s = "KAELMUND 30;\n";
    s += "ID " + std::to_string(own_id) + ";\n";
    s += "BOUT 0;" + std::to_string(own_id) + " 1200 3 0 0 0 alice 0\n";
    s += "BOUT 1;" + std::to_string(other_id) + " 900 1 0 0 0 bob 0\n";
    s += "BOUT -1;\n";
    s += make_newgame_line(0, &rules);
    return s;
}

// Fighter i's state now, its bodies moved by shift along y.
inline SentState state_from_world(int i, double shift)
{
    SentState st;
    take_fighter_state(i, &st);
    for (int b = 0; b < BODY_COUNT; b++)
        st.positions[b][1] += shift;
    return st;
}

inline void put_word(std::string &s, int32_t v)
{
    const uint32_t u = (uint32_t)v;
    for (int k = 0; k < 4; k++)
        s += (char)((u >> (8 * k)) & 0xff);
}

// One part of fighter i's state as the protocol's writer gives it: a text
// line, or for the body rows (block set) the P_ line and its block.
inline std::string state_part(int i, int part, bool block, const SentState &st)
{
    char buf[4096];
    const int n = write_fighter_state_part(i, part, block ? 1 : 0, &st, buf, sizeof buf);
    return n > 0 ? std::string(buf, (size_t)n) : std::string();
}

// Fighter i's body state and its breaks.
inline std::string state_lines(int i, const SentState &st, bool blocks)
{
    std::string s;
    for (int part : {STATE_POS, STATE_QAT, STATE_LINVEL, STATE_ANGVEL})
        s += state_part(i, part, blocks, st);
    s += state_part(i, STATE_CRUSH, false, st);
    s += state_part(i, STATE_FRACT, false, st);
    return s;
}

// The other fighter's moves for the turn: the given joint states (every
// joint held when none are given).
inline std::string opponent_moves(int i, const int *states = nullptr)
{
    std::string s = "JOINT " + std::to_string(i) + ";";
    for (int j = 0; j < JOINT_COUNT; j++)
        s += " " + std::to_string(j) + " " + std::to_string(states ? states[j] : (int)MOTOR_HOLD);
    return s + "\n";
}

// The reply to a committed turn ending at end_frame: fighter 1's moves,
// fighter 0's state as text, fighter 1's as blocks, then the GAME line with
// the scores.
inline std::string turn_reply(int end_frame, const SentState st[2], int score0, int score1,
                              const int *moves1 = nullptr)
{
    std::string s = opponent_moves(1, moves1);
    s += state_lines(0, st[0], false);
    s += state_lines(1, st[1], true);
    s += "GAME " + std::to_string(end_frame) + "; 0 0 " + std::to_string(score0) + " " + std::to_string(score1) + "\n";
    return s;
}

// Largest distance between fighter i's bodies and the state sent for it.
inline double distance_from(int i, const SentState &st)
{
    double worst = 0;
    const Player *p = get_player(i);
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *pos = dBodyGetPosition(p->bodies[b]);
        for (int c = 0; c < 3; c++)
            worst = std::fmax(worst, std::fabs(pos[c] - st.positions[b][c]));
    }
    return worst;
}

} // namespace kxtest
