// The renderer's entries that need the GL context: the fighters' player
// textures in the game's callback table and the script's texture slots and
// quads. Entered by the renderer's start-up, left at its release.
#pragma once

void render_gl_callbacks_install(int on);
// A 2D quad in window pixels: textured with the slot's texture (its own
// blending), else in the current colour; lighting and depth test off while
// it draws, the state given back after.
void render_quad(float x, float y, float width, float height, int slot);
