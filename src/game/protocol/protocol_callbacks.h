// The protocol's entries of the game's callback table: customisations and
// the replay folder.
#pragma once

void protocol_install_callbacks(void);
