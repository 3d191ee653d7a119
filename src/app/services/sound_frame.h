// The per-frame sound events of a match: breaks, swings, pain, hits,
// ground impacts, head hits and blood splashes, read from the fighters'
// records and played through the sound core (recorded into the frame sound
// cache).
#pragma once

struct WorldState;

// Called by the world step once per live frame; nothing during a ghost
// preview.
void sound_update_frame(WorldState *w);
// The break sound of every fighter whose broken-joint count changed since
// its last break sound.
void sound_breaks(void);
void sound_break_one(int fighter);
