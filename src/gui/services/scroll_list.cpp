#include "gui/services/scroll_list.h"

ScrollList::ScrollList()
{
    list_init(this);
}

void list_init(ScrollList *list)
{
    list->cursor = -1;
    list->count = 0;
    list->visible = LIST_VISIBLE_DEFAULT;
    list->offset = 0;
    list->scroll_up_request = 0;
    list->scroll_down_request = 0;
    list->x = list->y = list->width = list->row_height = 0;
}

void list_release(ScrollList *)
{
}

static void clamp_view(ScrollList *list)
{
    int max_offset = list->count - list->visible;
    if (max_offset < 0)
        max_offset = 0;
    if (list->offset > max_offset)
        list->offset = max_offset;
    if (list->offset < 0)
        list->offset = 0;
    if (list->cursor >= list->visible)
        list->cursor = list->visible - 1;
    if (list->cursor >= 0 && list->offset + list->cursor >= list->count)
        list->cursor = list->count - 1 - list->offset;
    if (list->cursor < -1)
        list->cursor = -1;
}

void list_set_count(ScrollList *list, int count)
{
    list->count = count < 0 ? 0 : count;
    clamp_view(list);
}

void list_set_visible(ScrollList *list, int visible)
{
    // A view that shows the last item keeps showing it; the selected item
    // stays selected and in view.
    const bool at_end = list->offset + list->visible >= list->count;
    const int selected = list_selected_index(list);
    list->visible = visible < 1 ? 1 : visible;
    if (at_end)
        list->offset = list->count - list->visible;
    if (selected >= 0) {
        if (selected < list->offset)
            list->offset = selected;
        if (selected >= list->offset + list->visible)
            list->offset = selected - list->visible + 1;
        if (list->offset < 0)
            list->offset = 0;
        list->cursor = selected - list->offset;
    }
    clamp_view(list);
}

int list_selected_index(const ScrollList *list)
{
    if (list->cursor < 0)
        return -1;
    return list->offset + list->cursor;
}

void list_step_up(ScrollList *list)
{
    if (list->cursor < 0)
        return;
    if (list->cursor > 0)
        list->cursor--;
    else if (list->offset > 0)
        list->offset--;
}

void list_step_down(ScrollList *list)
{
    if (list->count == 0)
        return;
    if (list->cursor < 0) {
        list->cursor = 0;
        return;
    }
    if (list_selected_index(list) >= list->count - 1)
        return;
    if (list->cursor < list->visible - 1)
        list->cursor++;
    else
        list->offset++;
}

void list_move_up(ScrollList *list)
{
    if (list->cursor < 0)
        list_select_last(list);
    else
        list_step_up(list);
}

void list_move_down(ScrollList *list)
{
    if (list->cursor >= 0)
        list_step_down(list);
}

void list_reset(ScrollList *list)
{
    list->cursor = -1;
    list->offset = 0;
    list->scroll_up_request = 0;
    list->scroll_down_request = 0;
}

void list_select_last(ScrollList *list)
{
    if (list->count == 0) {
        list->cursor = -1;
        list->offset = 0;
        return;
    }
    list->offset = list->count - list->visible;
    if (list->offset < 0)
        list->offset = 0;
    list->cursor = list->count - 1 - list->offset;
}

int list_mouse_hit(ScrollList *list, int x, int y)
{
    // A request lasts while the pointer rests on its zone.
    list->scroll_up_request = list->scroll_down_request = 0;
    if (list->row_height <= 0 || x < list->x || x >= list->x + list->width)
        return LIST_HIT_NONE;
    int rows_bottom = list->y + list->visible * list->row_height;
    if (y >= list->y - list->row_height && y < list->y) {
        list->scroll_up_request = 1;
        return LIST_HIT_SCROLL_UP;
    }
    if (y >= rows_bottom && y < rows_bottom + list->row_height) {
        list->scroll_down_request = 1;
        return LIST_HIT_SCROLL_DOWN;
    }
    if (y < list->y || y >= rows_bottom)
        return LIST_HIT_NONE;
    int row = (y - list->y) / list->row_height;
    if (list->offset + row >= list->count)
        return LIST_HIT_NONE;
    list->cursor = row;
    return list->offset + row;
}
