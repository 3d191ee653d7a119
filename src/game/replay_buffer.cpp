// Replay buffer storage. The frame's fields come with the replay recorder.
#include "game/replay_buffer.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "game/game_state.h"

struct ReplayFrame {
    int32_t frame;
};

static ReplayFrame *g_frames;

int replay_buffer_alloc(void)
{
    if (g_frames)
        return 0;
    g_frames = static_cast<ReplayFrame *>(calloc(REPLAY_FRAMES, sizeof(ReplayFrame)));
    return g_frames ? 0 : 1;
}

void replay_buffer_free(void)
{
    free(g_frames);
    g_frames = nullptr;
}

ReplayFrame *get_replay_frame(int i)
{
    if (!g_frames || i < 0 || i >= REPLAY_FRAMES)
        return nullptr;
    return &g_frames[i];
}

int get_replay_play_frame(void) { return get_game_state()->play_frame; }

void truncate_replay(int i)
{
    if (i < 0)
        i = 0;
    if (i > REPLAY_FRAMES)
        i = REPLAY_FRAMES;
    if (g_frames)
        memset(&g_frames[i], 0, (size_t)(REPLAY_FRAMES - i) * sizeof(ReplayFrame));
    get_game_state()->frames_recorded = i;
    get_game_state()->play_frame = i;
}
