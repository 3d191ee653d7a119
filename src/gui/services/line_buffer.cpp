#include "gui/services/line_buffer.h"

LineBuffer::LineBuffer(int n) : count(0), lines(nullptr)
{
    if (n <= 0)
        return;
    lines = new uint16_t *[n];
    for (int i = 0; i < n; i++)
        lines[i] = new uint16_t[LINE_BUFFER_UNITS]();
    count = n;
}

LineBuffer::~LineBuffer()
{
    line_buffer_destroy(this);
}

void line_buffer_destroy(LineBuffer *buffer)
{
    if (!buffer->lines) {
        buffer->count = 0;
        return;
    }
    for (int i = 0; i < buffer->count; i++)
        delete[] buffer->lines[i];
    buffer->count = 0;
    delete[] buffer->lines;
    buffer->lines = nullptr;
}

uint16_t *line_buffer_line(LineBuffer *buffer, int i)
{
    if (!buffer->lines || i < 0 || i >= buffer->count)
        return nullptr;
    return buffer->lines[i];
}
