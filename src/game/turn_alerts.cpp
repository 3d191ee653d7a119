#include "game/turn_alerts.h"

#include "app/base/options.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"

// Sound 31 (fight alert) on channel 7, forced, not recorded.
enum { ALERT_CHANNEL = 7, ALERT_SOUND = 31 };

void turn_alert_flash(void)
{
    if (!option_get(OPT_TURNALERT) || get_game_globals()->bouts_present < 3)
        return;
    game_sound(ALERT_CHANNEL, ALERT_SOUND, 1, 0);
    game_turn_alert();
}

void clear_turn_alert_if_enabled(void)
{
    if (option_get(OPT_TURNALERT))
        game_clear_turn_alert();
}
