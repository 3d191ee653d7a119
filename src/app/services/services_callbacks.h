// The services' entries of the game's callback table: script hooks, the
// chat tabs and console, the centre print, sounds and limb trails.
#pragma once

void services_install_callbacks(void);
