// Selection and scrolling state of a drawn list (chat tabs, file lists).
//
// The list shows `visible` rows starting at item `offset`; `cursor` is the
// selected row among the visible ones, -1 when nothing is selected. The two
// request words ask the tick to keep scrolling while the pointer rests on a
// scroll zone; the tick serves them every tenth tick.
#pragma once
#include <cstdint>

enum {
    LIST_VISIBLE_DEFAULT = 5,
    // Results of list_mouse_hit besides a selected item index.
    LIST_HIT_NONE = -1,
    LIST_HIT_SCROLL_UP = -2,
    LIST_HIT_SCROLL_DOWN = -3,
};

struct ScrollList {
    int32_t cursor;
    int32_t count;
    int32_t visible;
    int32_t offset;
    int32_t scroll_up_request;
    int32_t scroll_down_request;
    // Where the drawing put the rows, in window pixels: the first row's top
    // left corner, the row width and height. Zero until the list is drawn.
    int32_t x, y, width, row_height;

    ScrollList();
};

void list_init(ScrollList *list);
void list_release(ScrollList *list);

// Number of items; the selection and offset are kept inside the new range.
void list_set_count(ScrollList *list, int count);
// Number of rows drawn (at least 1); a view at the last item stays there
// and the selected item stays in view.
void list_set_visible(ScrollList *list, int visible);

// One row up or down without wrapping; at the edge of the view the view
// scrolls. From no selection, down selects the first item.
void list_step_up(ScrollList *list);
void list_step_down(ScrollList *list);

// offset + cursor, -1 when nothing is selected.
int list_selected_index(const ScrollList *list);

// The chat scroll keys: up from no selection starts at the last item.
void list_move_up(ScrollList *list);
void list_move_down(ScrollList *list);
// No selection, view at the top, no scroll request.
void list_reset(ScrollList *list);
// Selects the last item, scrolling it into view.
void list_select_last(ScrollList *list);

// Hit-tests a pointer position: a row with an item selects it and returns
// its index; the row-high zone just above the first row or just below the
// last raises the matching scroll request and returns LIST_HIT_SCROLL_UP or
// LIST_HIT_SCROLL_DOWN; anything else returns LIST_HIT_NONE. A pointer off
// the zones clears both requests.
int list_mouse_hit(ScrollList *list, int x, int y);
