// The end of a match: deciding it (by the frame counter, the scores and
// disqualification in single play, by the server's result in network play),
// the server's result record, and the announcement on the centre print.
#pragma once
#include <cstdint>
#include "game/game_state.h"

enum ResultKind { RESULT_BY_SCORE = 0, RESULT_DRAW = 1, RESULT_BY_DQ = 2 };
// Server result words.
enum { SERVER_RESULT_UPGRADE = 1, SERVER_RESULT_BELOW_MIN_TURNS = 2 };
enum { RECEIVED_GROUND_IMPACT = 0x800 };

// A fighter's disqualifying ground impact as the server reported it.
struct LostMark {
    int32_t mark;        // 0 none, else the disqualified value
    int32_t frame;
    double pos[3];
    int32_t has_pos;
};

// The result the game server sent, applied when the match reaches its frame.
struct ServerResult {
    int32_t frame;
    int32_t kind;
    int32_t winners[MAX_FIGHTERS];   // per slot: a fighter index, or -1
    int32_t losers[MAX_FIGHTERS];
    float injury[MAX_FIGHTERS];
    float score[MAX_FIGHTERS];
    double position[MAX_FIGHTERS][3];
    int32_t word;
    int32_t pending;
    LostMark lost[MAX_FIGHTERS];
    int32_t matches_played;          // network matches decided since start
    int32_t received_frame;          // the match frame of the last GAME line
    int32_t has_received_frame;
};

// The largest match frame a GAME line may name.
enum { RECEIVED_FRAME_MAX = 1 << 24 };

ServerResult *get_server_result(void);
// Clears the record for a new match (the count of matches played stays).
void clear_server_result(void);

// Decides the match: winners and losers are lists of fighter indices, -1
// for an empty entry (MAX_FIGHTERS entries each, or none). An index that is
// no fighter of the match is dropped. Sets the kind, game over and the
// decision frame. Returns 0.
int set_result(int kind, const int32_t *winners, const int32_t *losers);

// The end-of-match tests; 1 when the match is over (network: when the
// server's result was applied at this frame).
int match_end_single(void);
int match_end_network(void);

// The WIN and WIN2 lines: injuries, scores and positions may be none. An
// index outside the fighters is dropped. Returns 0.
int record_server_result(int frame, int kind, const int32_t *winners, const int32_t *losers,
                         const float *injuries, const float *scores, const double (*positions)[3],
                         int word);
// The GAME line: the match frame the server's state belongs to (taken by the
// turn hand-over; a frame outside 0..RECEIVED_FRAME_MAX is refused with a
// message and the lists are kept); scores may be none (the fighters'
// current scores are kept).
int record_server_scores(int frame, const float *injuries, const float *scores);
// The LOST line: position may be none. Returns 1 for a fighter index outside
// the match, which changes nothing.
int record_lost_mark(int frame, int fighter, int mark, const double *position);
