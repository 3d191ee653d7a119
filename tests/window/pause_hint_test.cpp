// The status line's hint follows what the keys do: between turns Space goes
// on; in a paused turn only P does (Space would commit no turn), also while
// a preview runs from the pause.
#include <gtest/gtest.h>

#include <string>

#include "app/key_bindings.h"
#include "app/program_dir.h"
#include "app/tick.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/match_mode.h"
#include "game/turn_cycle.h"
#include "gui/hud_pieces_gl.h"
#include "gui/services/menu_state.h"

namespace {

void key(int sym)
{
    on_key(sym, 0, 0, 1);
    on_key(sym, 0, 0, 0);
}

std::string hint() { return hud_status_text(); }

} // namespace

TEST(PauseHint, APausedTurnNamesPToGoOn)
{
    kxtest::ProgramFolder d;
    key_bindings_reset();
    menu_set_state(0);
    reset_game();
    EXPECT_NE(hint().find("Space to go on"), std::string::npos) << hint();
    key(KEY_SPACE);
    on_tick(0);
    ASSERT_TRUE(game_is_running());
    EXPECT_EQ(hint(), "");
    key(KEY_P);
    ASSERT_TRUE(match_is_paused());
    EXPECT_EQ(hint().find("Space"), std::string::npos) << hint();
    EXPECT_NE(hint().find("P to go on"), std::string::npos) << hint();
    key(KEY_G);   // a preview of the paused turn
    on_tick(0);
    EXPECT_NE(hint().find("P to go on"), std::string::npos) << hint();
    key(KEY_P);
    EXPECT_TRUE(game_is_running());
    EXPECT_EQ(hint(), "");
}
