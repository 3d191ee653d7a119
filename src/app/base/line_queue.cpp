#include "app/base/line_queue.h"

#include "app/base/text.h"

#include <cstring>

void LineQueue::clear()
{
    count_ = write_pos_ = read_pos_ = 0;
    memset(lines_, 0, sizeof lines_);
}

int LineQueue::push(const char *text)
{
    if (count_ >= LINE_QUEUE_LINES)
        return 1;
    n_strncpyz(lines_[write_pos_], text ? text : "", LINE_QUEUE_LINE_SIZE);
    write_pos_ = (write_pos_ + 1) % LINE_QUEUE_LINES;
    count_++;
    return 0;
}

int LineQueue::pop(char *dst, int len)
{
    if (count_ <= 0) {
        if (dst && len > 0)
            dst[0] = '\0';
        return 1;
    }
    if (dst && len > 0)
        n_strncpyz(dst, lines_[read_pos_], len);
    lines_[read_pos_][0] = '\0';
    read_pos_ = (read_pos_ + 1) % LINE_QUEUE_LINES;
    count_--;
    return 0;
}

int LineQueue::push_evict(const char *text)
{
    if (count_ >= LINE_QUEUE_LINES)
        pop(nullptr, 0);
    push(text);
    return 0;
}

int LineQueue::get_recent(char *dst, int len, int n) const
{
    if (n > LINE_QUEUE_LINES - 1)
        n = LINE_QUEUE_LINES - 1;
    if (n < 0)
        n = 0;
    int slot = ((write_pos_ - 1 - n) % LINE_QUEUE_LINES + LINE_QUEUE_LINES) % LINE_QUEUE_LINES;
    if (dst && len > 0)
        n_strncpyz(dst, lines_[slot], len);
    return 0;
}

int LineQueue::get_from_oldest(char *dst, int len, int n) const
{
    if (n > LINE_QUEUE_LINES || n < 0)
        n = 0;
    int slot = (read_pos_ + n) % LINE_QUEUE_LINES;
    if (dst && len > 0)
        n_strncpyz(dst, lines_[slot], len);
    return 0;
}
