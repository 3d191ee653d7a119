// The renderer's entries of the game's callback table (colour rows and the
// blood drawers) and the console's way into the world shader settings.
#pragma once

void render_install_callbacks(void);
