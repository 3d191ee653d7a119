// The turn alert: the X11 urgency hint on the game window (where SDL gives
// the window), raised when the player's turn starts while the window is not
// the active one, and kept while it is not; elsewhere it does nothing.
#pragma once

// Starts the alert only while the window is not the active one (shown, with
// the keys going to it); on an active window it does nothing.
void turn_alert_set(void);
// Raises the hint again while the alert is on and the window is not active.
void turn_alert_update(void);
void turn_alert_clear(void);
int turn_alert_on(void);
