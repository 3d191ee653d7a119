#include "render/deferred_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

enum { SHADE_SMOOTH = 0x1D01 };  // GL_SMOOTH

static DeferredShape g_list[DEFERRED_SHAPE_MAX];
static int g_count = 0;

DeferredShape deferred_shape_make(void)
{
    DeferredShape s = {};
    s.shade_model = SHADE_SMOOTH;
    return s;
}

bool deferred_shape_add(const DeferredShape &s)
{
    if (g_count >= DEFERRED_SHAPE_MAX) {
        fprintf(stderr, "deferred shape list full (%d)\n", (int)DEFERRED_SHAPE_MAX);
        return false;
    }
    g_list[g_count++] = s;
    return true;
}

int deferred_shape_count(void) { return g_count; }

const DeferredShape *deferred_shape_at(int i)
{
    return (i >= 0 && i < g_count) ? &g_list[i] : nullptr;
}

static float depth(const DeferredShape &s)
{
    return std::isnan(s.depth_offset) ? INFINITY : s.depth_offset;
}

void deferred_shape_sort(void)
{
    std::map<int32_t, float> group_depth;
    for (int i = 0; i < g_count; i++) {
        auto it = group_depth.find(g_list[i].group);
        if (it == group_depth.end())
            group_depth[g_list[i].group] = depth(g_list[i]);
        else
            it->second = std::min(it->second, depth(g_list[i]));
    }
    std::stable_sort(g_list, g_list + g_count, [&](const DeferredShape &a, const DeferredShape &b) {
        const float ga = group_depth[a.group], gb = group_depth[b.group];
        if (ga != gb)
            return ga < gb;
        if (a.group != b.group)
            return a.group < b.group;
        if (a.order_key != b.order_key)
            return a.order_key < b.order_key;
        return depth(a) < depth(b);
    });
}

void deferred_shape_draw_all(void (*draw)(const DeferredShape *s))
{
    for (int i = g_count - 1; i >= 0; i--)
        if (draw)
            draw(&g_list[i]);
    g_count = 0;
}
