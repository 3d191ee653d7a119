#include <gtest/gtest.h>

#include "gui/services/menu_state.h"
#include "gui/services/scroll_list.h"

namespace {
int entered, backed;
void on_enter() { entered++; }
void on_back() { backed++; }
} // namespace

TEST(MenuState, SetStateRunsEnterAndResetsSelection)
{
    EXPECT_EQ(get_menu_mode(), 0);
    EXPECT_EQ(menu_current_row()->world_runs, 1);
    MenuState *row = menu_state_row(12);
    ASSERT_NE(row, nullptr);
    row->enter = on_enter;
    row->back = on_back;
    row->selection = 4;
    EXPECT_EQ(menu_set_state(12), 0);
    EXPECT_EQ(get_menu_mode(), 12);
    EXPECT_EQ(row->selection, -1);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(menu_set_state_arg(12, 3), 0);
    EXPECT_EQ(row->selection, 3);
    EXPECT_EQ(entered, 2);

    menu_back();                   // the row's own back action
    EXPECT_EQ(backed, 1);
    EXPECT_EQ(get_menu_mode(), 12);

    EXPECT_EQ(menu_set_state(5), 0);
    menu_back();                   // no back action: back to no menu
    EXPECT_EQ(get_menu_mode(), 0);
    menu_back();
    EXPECT_EQ(get_menu_mode(), 0);

    EXPECT_EQ(menu_set_state(32), 1);
    EXPECT_EQ(menu_set_state(-1), 1);
    EXPECT_EQ(menu_state_row(32), nullptr);
    EXPECT_EQ(get_menu_mode(), 0);
}

TEST(ScrollList, StepsWithoutWrapping)
{
    ScrollList l;
    EXPECT_EQ(l.cursor, -1);
    EXPECT_EQ(l.visible, 5);
    EXPECT_EQ(list_selected_index(&l), -1);
    list_step_down(&l);                // empty list: nothing to select
    EXPECT_EQ(list_selected_index(&l), -1);

    list_set_count(&l, 8);
    list_step_down(&l);
    EXPECT_EQ(list_selected_index(&l), 0);
    list_step_up(&l);
    EXPECT_EQ(list_selected_index(&l), 0);
    for (int i = 0; i < 20; i++)
        list_step_down(&l);
    EXPECT_EQ(list_selected_index(&l), 7);
    EXPECT_EQ(l.offset, 3);
    EXPECT_EQ(l.cursor, 4);
    for (int i = 0; i < 5; i++)
        list_step_up(&l);
    EXPECT_EQ(list_selected_index(&l), 2);
    EXPECT_EQ(l.cursor, 0);
    EXPECT_EQ(l.offset, 2);

    // Fewer items: the selection stays on an item.
    list_set_count(&l, 2);
    EXPECT_EQ(l.offset, 0);
    EXPECT_LE(list_selected_index(&l), 1);
    list_set_count(&l, 0);
    EXPECT_EQ(list_selected_index(&l), -1);
}

TEST(ScrollList, ChatKeysAndSelectLast)
{
    ScrollList l;
    list_set_count(&l, 12);
    list_move_down(&l);                // nothing selected: stays so
    EXPECT_EQ(list_selected_index(&l), -1);
    list_move_up(&l);                  // starts at the newest line
    EXPECT_EQ(list_selected_index(&l), 11);
    EXPECT_EQ(l.offset, 7);
    list_move_up(&l);
    EXPECT_EQ(list_selected_index(&l), 10);
    list_move_down(&l);
    list_move_down(&l);
    EXPECT_EQ(list_selected_index(&l), 11);
    list_reset(&l);
    EXPECT_EQ(list_selected_index(&l), -1);
    EXPECT_EQ(l.offset, 0);
    list_select_last(&l);
    EXPECT_EQ(list_selected_index(&l), 11);
}

TEST(ScrollList, MouseHitRowsAndScrollZones)
{
    ScrollList l;
    list_set_count(&l, 3);
    EXPECT_EQ(list_mouse_hit(&l, 10, 10), LIST_HIT_NONE);   // not laid out yet
    l.x = 100; l.y = 50; l.width = 200; l.row_height = 10;
    EXPECT_EQ(list_mouse_hit(&l, 150, 71), 2);
    EXPECT_EQ(list_selected_index(&l), 2);
    EXPECT_EQ(list_mouse_hit(&l, 150, 85), LIST_HIT_NONE);  // row without item
    EXPECT_EQ(list_mouse_hit(&l, 150, 45), LIST_HIT_SCROLL_UP);
    EXPECT_EQ(l.scroll_up_request, 1);
    EXPECT_EQ(list_mouse_hit(&l, 150, 100), LIST_HIT_SCROLL_DOWN);
    EXPECT_EQ(l.scroll_down_request, 1);
    EXPECT_EQ(list_mouse_hit(&l, 99, 60), LIST_HIT_NONE);
    EXPECT_EQ(list_mouse_hit(&l, 300, 60), LIST_HIT_NONE);
    EXPECT_EQ(list_mouse_hit(&l, 150, 20), LIST_HIT_NONE);
}
