// The renderer's entries of the game's callback table: colour rows and the
// blood drawers.
#pragma once

void render_install_callbacks(void);
