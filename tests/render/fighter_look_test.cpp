#include <gtest/gtest.h>

#include <cstring>

#include "render/fighter_look.h"

// What the fighter drawing decides before it draws.

TEST(FighterLook, GhostFadeRunsFromHalfToNoneAndSurvivesLengthZero)
{
    WorldState w;
    memset(&w, 0, sizeof w);
    EXPECT_FLOAT_EQ(ghost_alpha(&w), 0.3f);       // no fade flag
    w.ghost_flags = GHOST_FLAG_FADE;
    const struct { int length; float progress, alpha; } rows[] = {
        {100, 0, 0.5f}, {100, 50, 0.25f}, {100, 100, 0}, {100, 150, 0}, {0, 10, 0.5f}, {-5, 10, 0.5f},
    };
    for (const auto &r : rows) {
        w.ghost_length = r.length;
        w.ghost_frame = r.progress;
        EXPECT_FLOAT_EQ(ghost_alpha(&w), r.alpha) << r.length << " " << r.progress;
    }
}

TEST(FighterLook, JointWithoutStateShowsItsMotor)
{
    const struct { int state; double vel, fmax; int shown; } rows[] = {
        {2, -1, 0, 2}, {0, -0.5, 0, 1}, {0, 0.5, 0, 2}, {0, 0, 3, 3}, {0, 0, 0, 4},
    };
    for (const auto &r : rows)
        EXPECT_EQ(shown_joint_state(r.state, r.vel, r.fmax), r.shown) << r.state << " " << r.vel;
}

TEST(FighterLook, AnimatedHeadStepsDownToALoadedFrame)
{
    const int loaded[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    const int none[8] = {};
    EXPECT_EQ(head_frame_index(60, loaded), 3);
    EXPECT_EQ(head_frame_index(25, loaded), 2);
    EXPECT_EQ(head_frame_index(85, loaded), 0);     // frame 8 wraps to 0
    EXPECT_EQ(head_frame_index(60, none), -1);
}

TEST(FighterLook, FrameMaximaResetPerFrameButKeepTheAllTimeOnes)
{
    frame_maxima_update(0, 3, 1.5, 4);
    frame_maxima_update(1, 0, 2.0, 1);
    EXPECT_EQ(get_frame_max(MAX_HEIGHT_FRAME)->fighter, 1);
    EXPECT_EQ(get_frame_max(MAX_SPEED_FRAME)->body, 3);
    frame_maxima_reset();
    frame_maxima_update(0, 5, 0.5, 0.25);
    EXPECT_DOUBLE_EQ(get_frame_max(MAX_HEIGHT_FRAME)->value, 0.5);
    EXPECT_DOUBLE_EQ(get_frame_max(MAX_HEIGHT_ALL)->value, 2.0);
    EXPECT_DOUBLE_EQ(get_frame_max(MAX_SPEED_ALL)->value, 4);
    EXPECT_EQ(get_frame_max(FRAME_MAXIMA), nullptr);
}
