// The in-memory replay of a match (256 frames).
#pragma once

enum { REPLAY_FRAMES = 256 };

struct ReplayFrame;

// 0 on success, 1 when there is no memory for it.
int replay_buffer_alloc(void);
void replay_buffer_free(void);
ReplayFrame *get_replay_frame(int i);
int get_replay_play_frame(void);
// Clears frames i..255; frames recorded and play frame become i.
void truncate_replay(int i);
