// The on/off options the option setter flips by name, as rows of one table:
// each flips its option between 0 and 1; a graphics option also asks for
// the graphics to be made again (the reload counter the window reads).
#pragma once

// Flips the named option ("fluid", "reflection", "softshadow",
// "ambientocclusion", "bumpmapping", "noreload", "motionblur"); returns its
// new value, or -1 for a name the table does not hold.
int toggle_option(const char *name);
// The shaders option and the renderer's shader-path flag flipped together
// (the option takes the flag's new value).
void toggle_shaders(void);
void toggle_fluid(void);
void toggle_reflection(void);
void toggle_softshadow(void);
void toggle_ambientocclusion(void);
void toggle_bumpmapping(void);
void toggle_noreload(void);
void toggle_motionblur(void);
