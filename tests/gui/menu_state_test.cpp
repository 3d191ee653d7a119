#include <gtest/gtest.h>

#include "gui/services/menu_state.h"

namespace {
int entered, backed;
void on_enter() { entered++; }
void on_back() { backed++; }
} // namespace

TEST(MenuState, SetStateRunsEnterAndResetsSelection)
{
    EXPECT_EQ(get_menu_mode(), 0);
    MenuState *row = menu_state_row(12);
    ASSERT_NE(row, nullptr);
    row->enter = on_enter;
    row->back = on_back;
    row->selection = 4;
    EXPECT_EQ(menu_set_state(12), 0);
    EXPECT_EQ(get_menu_mode(), 12);
    EXPECT_EQ(row->selection, -1);
    EXPECT_EQ(entered, 1);
    menu_back();                   // the row's own back action
    EXPECT_EQ(backed, 1);
    EXPECT_EQ(get_menu_mode(), 12);

    EXPECT_EQ(menu_set_state(5), 0);
    menu_back();                   // no back action: back to no menu
    EXPECT_EQ(get_menu_mode(), 0);
    EXPECT_EQ(menu_set_state(32), 1);
    EXPECT_EQ(menu_set_state(-1), 1);
    EXPECT_EQ(get_menu_mode(), 0);
}
