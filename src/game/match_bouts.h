// The bout figures of this match's fighters, copied from the bout list when
// the game server announces the result: what the result announcement reads.
#pragma once
#include <cstdint>

enum { MATCH_BOUT_SLOTS = 2, MATCH_BOUT_NAME_SIZE = 32 };

struct MatchBout {
    int32_t bout;          // index in the bout list, -1 for a fighter without bout
    char name[MATCH_BOUT_NAME_SIZE];
    int32_t qi;
    int32_t streak;
    int32_t winnings;
};

// Fighter i's figures (0..1), none for another index.
MatchBout *get_match_bout(int i);
// Stores the figures of bout `bout` for fighter i; bout -1 marks the fighter
// as without bout. Returns 1 for a bad fighter index.
int set_match_bout(int i, int bout, const char *name, int qi, int streak, int winnings);
void clear_match_bouts(void);
// The per-match record: the figures of every fighter slot.
MatchBout *get_match_record(void);
