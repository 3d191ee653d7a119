// A ring of 128 text lines of 256 bytes (at most 255 characters each). It
// has no lock of its own: every shared instance is guarded by its owner.
#pragma once

enum { LINE_QUEUE_LINES = 128, LINE_QUEUE_LINE_SIZE = 256 };

class LineQueue {
public:
    LineQueue() { clear(); }

    // Empties every line and the counters.
    void clear();
    // 0, or 1 when 128 lines are queued (the text is dropped).
    int push(const char *text);
    // 0 and the oldest line in dst (at most len bytes, terminated), the slot
    // emptied; 1 and an empty dst when nothing is queued.
    int pop(char *dst, int len);
    // Pushes, dropping the oldest line first when full; always 0.
    int push_evict(const char *text);
    // The line n places before the newest (n = 0 the newest; n above 127
    // counts as 127). An unwritten or emptied slot gives an empty line.
    int get_recent(char *dst, int len, int n) const;
    // The line n places after the oldest (n above 128 counts as 0).
    int get_from_oldest(char *dst, int len, int n) const;
    int get_count() const { return count_; }
    // The slot of the oldest line and the slot the next push fills.
    int read_pos() const { return read_pos_; }
    int write_pos() const { return write_pos_; }

private:
    char lines_[LINE_QUEUE_LINES][LINE_QUEUE_LINE_SIZE];
    int count_;
    int write_pos_;
    int read_pos_;
};
