// The turn alert of a network match with spectators: a sound and the
// window's alert while the turnalert option is on.
#pragma once

// With the turnalert option on and at least 3 bouts present: the turn-alert
// sound, and the window's alert (which the window shows only while it is
// not the active one).
void turn_alert_flash(void);
// Clears the window's alert while the option is on.
void clear_turn_alert_if_enabled(void);
