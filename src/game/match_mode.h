// The questions every part asks of the match's mode, by name: whether it is
// live or a replay, previewed, networked, waiting for the player's turn,
// frozen or over, and whether the player may change a fighter's joint or
// grip now. The flags stay where they are kept (WorldState, GameGlobals,
// Player); only the questions live here, so that the key path, the mouse
// path and the joint commands refuse and allow the same things.
#pragma once

// ---- the match ----
int match_is_live(void);        // no replay plays
int match_is_replay(void);      // a replay file or the automatic replay plays
int match_in_preview(void);     // a ghost preview runs
int match_is_network(void);     // a game-server match
int match_is_frozen(void);      // the world waits
int match_is_over(void);        // the match is decided
// Live play with the world stepping a turn (no preview, not frozen, not
// over).
int match_is_running(void);
// Live single play stopped by the player inside a running turn (the world
// is frozen with frames of the turn left, or a preview runs from there);
// the turn goes on when resumed. A new turn or a new match clears it.
int match_is_paused(void);
void set_match_paused(int on);
// Live play with the world waiting and the match not over: between turns
// (the ghost preview may show the coming one) or inside a paused turn,
// whose rest takes the changes when it goes on.
int match_in_editor(void);

// ---- the player's fighter ----
// Fighter i is one the player may command now: it exists, the match is in
// the editor, the fighter is marked neither ready nor out of play, and in a
// network match every bout is present and it is the player's own fighter.
int fighter_may_act(int i);
// Joint j of fighter i may be changed now: the fighter may act and the joint
// is intact (a broken joint takes no state).
int can_change_fighter_joint(int i, int j);
// The grip of fighter i's hand (body 11 or 12) may be changed now: the
// fighter may act, the rules allow grips and the hand's wrist is intact.
int can_change_fighter_grip(int i, int hand);

// ---- the selection ----
// The joint the player selected (-1 none).
int get_selected_joint(void);
void set_selected_joint(int j);
// The selected fighter's selected joint (need_joint), or the fighter alone,
// may be changed now. own_only is kept for callers that ask for the own
// fighter: a network match asks that of every fighter.
int can_change_joint(int need_joint, int own_only);
