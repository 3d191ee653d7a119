#include "gui/chat_view.h"

#include "app/base/utils.h"
#include "gui/text_markup.h"

namespace {

enum {
    ROW_MSG_NOTYPE = 85, ROW_MSG_WHISPER, ROW_MSG_SERVER, ROW_MSG_URLSERVER, ROW_MSG_INGAME, ROW_MSG_GAMURL,
    ROW_MSG_USER, ROW_MSG_PLAYER, ROW_MSG_URL,
};

// The rows of each tab as last built, and what they were built from.
struct TabView {
    std::vector<ChatRow> rows;
    uint32_t generation = 0;
    uint32_t layout = 0;
    bool built = false;
};

TabView g_views[CHAT_TABS];
int g_tab = 0;

ChatRow make_row(int line, uint32_t serial, int start, int end, const MarkupState &st)
{
    ChatRow r;
    r.line = line;
    r.serial = serial;
    r.start = start;
    r.end = end;
    r.font = st.font;
    r.colour = st.colour;
    return r;
}

// The row that now holds what the anchor row started with: the row of the
// same line that reaches past the anchor's start, else the first row of a
// later line; rows.size() when there is none.
int find_anchor(const std::vector<ChatRow> &rows, const ChatRow &a)
{
    for (size_t i = 0; i < rows.size(); i++) {
        const ChatRow &r = rows[i];
        if (r.serial > a.serial || (r.serial == a.serial && r.end > a.start))
            return (int)i;
    }
    return (int)rows.size();
}

} // namespace

int chat_wrap_line(const ChatLine *line, int line_index, int width, ChatAdvanceFn advance,
                   std::vector<ChatRow> *out)
{
    if (width < 1)
        width = 1;
    const uint16_t *t = line->text;
    MarkupState st;
    markup_start(&st, 1);
    MarkupState row_state = st, brk_state = st;
    int pos = 0, row_start = 0, w = 0, chars = 0;
    int brk = -1, w_at_brk = 0, chars_at_brk = 0;
    const size_t first = out->size();
    for (;;) {
        const int before = pos;
        const MarkupState st_before = st;
        const uint16_t ch = pos < CHAT_LINE_UNITS ? markup_next(t, &pos, &st) : 0;
        if (!ch || pos > CHAT_LINE_UNITS)
            break;
        const int a = advance ? advance(st.font, ch) : 0;
        while (chars > 0 && w + a > width) {
            if (brk > row_start) {
                // After the last blank that fit: the word moves down whole.
                out->push_back(make_row(line_index, line->serial, row_start, brk, row_state));
                row_start = brk;
                row_state = brk_state;
                w -= w_at_brk;
                chars -= chars_at_brk;
            } else {
                out->push_back(make_row(line_index, line->serial, row_start, before, row_state));
                row_start = before;
                row_state = st_before;
                w = 0;
                chars = 0;
            }
            brk = -1;
        }
        w += a;
        chars++;
        if (ch == ' ') {
            brk = pos;
            brk_state = st;
            w_at_brk = w;
            chars_at_brk = chars;
        }
    }
    int end = row_start;
    while (end < CHAT_LINE_UNITS && t[end])
        end++;
    out->push_back(make_row(line_index, line->serial, row_start, end, row_state));
    return (int)(out->size() - first);
}

int chat_view_update(ChatAdvanceFn advance)
{
    const int tab = chat_current_tab();
    TabView &v = g_views[tab];
    ScrollList *list = chat_current_scroll();
    const uint32_t generation = chat_tab_generation(tab), layout = chat_layout_generation();
    g_tab = tab;
    if (v.built && v.generation == generation && v.layout == layout && list->count == (int)v.rows.size())
        return list->count;

    // Where the view stands in the old rows.
    const int old_count = (int)v.rows.size();
    const bool at_end = !v.built || list->offset + list->visible >= list->count;
    ChatRow top = {}, selected = {};
    const bool has_top = !at_end && list->offset < old_count;
    if (has_top)
        top = v.rows[list->offset];
    const int sel = list_selected_index(list);
    const bool has_sel = sel >= 0 && sel < old_count;
    if (has_sel)
        selected = v.rows[sel];

    v.rows.clear();
    static ChatLine line;
    const int width = chat_wrap_width();
    for (int i = 0, n = chat_line_count(tab); i < n; i++)
        if (chat_line_copy(tab, i, &line) == 0)
            chat_wrap_line(&line, i, width, advance, &v.rows);
    v.generation = generation;
    v.layout = layout;
    v.built = true;

    const int count = (int)v.rows.size();
    list->count = count;
    list->offset = at_end ? count - list->visible : has_top ? find_anchor(v.rows, top) : 0;
    if (list->offset > count - list->visible)
        list->offset = count - list->visible;
    if (list->offset < 0)
        list->offset = 0;
    list->cursor = -1;
    if (has_sel) {
        const int now = find_anchor(v.rows, selected);
        if (now < count && v.rows[now].serial == selected.serial && now >= list->offset &&
            now < list->offset + list->visible)
            list->cursor = now - list->offset;
    }
    list_set_count(list, count);
    return count;
}

int chat_view_row_count(void) { return (int)g_views[g_tab].rows.size(); }

const ChatRow *chat_view_row(int i)
{
    const std::vector<ChatRow> &rows = g_views[g_tab].rows;
    return i >= 0 && i < (int)rows.size() ? &rows[i] : nullptr;
}

int chat_view_row_line(int i, ChatLine *out)
{
    const ChatRow *r = chat_view_row(i);
    if (!r || chat_line_copy(g_tab, r->line, out) != 0 || out->serial != r->serial)
        return 1;
    return 0;
}

int chat_type_colour(MessageType type)
{
    if (type & MSG_WHISPER)
        return ROW_MSG_WHISPER;
    if (type & MSG_SERVER)
        return type & MSG_URL ? ROW_MSG_URLSERVER : ROW_MSG_SERVER;
    if (type & MSG_INGAME)
        return type & MSG_URL ? ROW_MSG_GAMURL : ROW_MSG_INGAME;
    if (type & MSG_PLAYER)
        return ROW_MSG_PLAYER;
    if (type & MSG_USER)
        return ROW_MSG_USER;
    if (type & MSG_URL)
        return ROW_MSG_URL;
    return ROW_MSG_NOTYPE;
}

int chat_row_at(int x, int y)
{
    const ScrollList *list = chat_current_scroll();
    if (list->row_height <= 0 || x < list->x || x >= list->x + list->width || y < list->y)
        return -1;
    const int row = (y - list->y) / list->row_height;
    const int i = list->offset + row;
    if (row >= list->visible || i >= list->count || i >= chat_view_row_count())
        return -1;
    return i;
}

int chat_link_at(int x, int y)
{
    const int i = chat_row_at(x, y);
    static ChatLine line;
    if (i < 0 || chat_view_row_line(i, &line) != 0)
        return 0;
    int start = -1, end = -1;
    find_url_span(line.text, &start, &end);
    return start >= 0;
}
