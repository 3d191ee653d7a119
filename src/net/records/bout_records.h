// Hands a committed bout list to the game's bout records. Kept apart from
// bout_list.h: the game records and the user strings name their sizes alike.
#pragma once

struct BoutLine;

// Copies the used entries (name, server id, qi, streak, winnings, flags)
// into the game's bout records at the same index, empties the others and
// sets the bouts-present count to the number used.
void bout_records_commit(const BoutLine *lines, int n);
