#include "render/sphere_tree.h"

#include <cmath>

static float dist(const float *a, const float *b)
{
    const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return sqrtf(dx * dx + dy * dy + dz * dz);
}

static float pair_cost(const SphereNode &a, const SphereNode &b)
{
    return dist(a.c, b.c) + 6.0f * fminf(a.r, b.r);
}

bool sphere_tree_init(SphereTree *t, int max_leaves)
{
    t->count = t->leaves = 0;
    t->root = -1;
    t->heap.clear();
    if (max_leaves < 0 || max_leaves > SPHERE_TREE_MAX_LEAVES) {
        fprintf(stderr, "sphere tree: %d leaves is more than the %d it can hold\n", max_leaves,
                (int)SPHERE_TREE_MAX_LEAVES);
        t->max_leaves = 0;
        t->node.clear();
        return false;
    }
    t->max_leaves = max_leaves;
    t->node.assign(max_leaves > 0 ? 2 * max_leaves - 1 : 0, SphereNode());
    return true;
}

int sphere_tree_add(SphereTree *t, const float *centre, float radius, int index)
{
    if (t->leaves >= t->max_leaves || t->count != t->leaves) {
        fprintf(stderr, "sphere tree: no room for leaf %d (%d leaves)\n", index, (int)t->max_leaves);
        return -1;
    }
    if (!(radius >= 0.0f) || !std::isfinite(radius)) {
        fprintf(stderr, "sphere tree: leaf %d has a bad radius\n", index);
        return -1;
    }
    SphereNode &n = t->node[t->count++];
    n = SphereNode();
    for (int k = 0; k < 3; k++)
        n.c[k] = centre[k];
    n.r = radius;
    n.child[0] = n.child[1] = n.parent = -1;
    n.id = index;
    n.leaf_count = 1;
    n.leaf[0] = index;
    n.active = 1;
    t->leaves++;
    return 0;
}

static void heap_push(std::vector<SpherePair> &h, SpherePair p)
{
    h.push_back(p);
    size_t i = h.size() - 1;
    while (i > 0 && h[i].cost < h[(i - 1) / 2].cost) {
        std::swap(h[i], h[(i - 1) / 2]);
        i = (i - 1) / 2;
    }
}

static SpherePair heap_pop(std::vector<SpherePair> &h)
{
    SpherePair top = h[0];
    h[0] = h.back();
    h.pop_back();
    size_t i = 0;
    for (;;) {
        size_t l = 2 * i + 1, r = l + 1, m = i;
        if (l < h.size() && h[l].cost < h[m].cost) m = l;
        if (r < h.size() && h[r].cost < h[m].cost) m = r;
        if (m == i)
            break;
        std::swap(h[i], h[m]);
        i = m;
    }
    return top;
}

// The largest distance from c to the far side of a leaf under node.
static float enclosing(const SphereTree *t, int node, const float *c)
{
    const SphereNode &n = t->node[node];
    if (n.child[0] < 0)
        return dist(c, n.c) + n.r;
    return fmaxf(enclosing(t, n.child[0], c), enclosing(t, n.child[1], c));
}

static void merge(SphereTree *t, int a, int b)
{
    SphereNode &na = t->node[a], &nb = t->node[b];
    const float d = dist(na.c, nb.c);
    // Coincident centres: the new centre is theirs.
    const float s = d > 1e-12f ? ((nb.r - na.r) / d + 1.0f) * 0.5f : 0.5f;
    const int id = t->count++;
    SphereNode &n = t->node[id];
    n = SphereNode();
    for (int k = 0; k < 3; k++)
        n.c[k] = na.c[k] + (nb.c[k] - na.c[k]) * s;
    n.child[0] = a;
    n.child[1] = b;
    n.parent = -1;
    n.id = -1;
    n.active = 1;
    na.parent = nb.parent = id;
    na.active = nb.active = 0;
    n.r = fmaxf(enclosing(t, a, n.c), enclosing(t, b, n.c));
    t->root = id;
    for (int i = 0; i < id; i++)
        if (t->node[i].active)
            heap_push(t->heap, {pair_cost(t->node[i], n), i, id});
}

static void hoist(SphereTree *t)
{
    for (int i = 0; i < t->count; i++) {
        SphereNode &n = t->node[i];
        if (n.parent < 0 || n.leaf_count == 0 || !(n.r * 3.0f > t->node[n.parent].r))
            continue;
        int up = n.parent;
        while (t->node[up].parent >= 0 && t->node[t->node[up].parent].r < 3.0f * n.r)
            up = t->node[up].parent;
        // Every leaf the node holds (its own and those hoisted into it)
        // moves while the ancestor's list has room; the rest stay.
        SphereNode &dst = t->node[up];
        int moved = 0;
        while (moved < n.leaf_count && dst.leaf_count < SPHERE_TREE_LEAF_SLOTS)
            dst.leaf[dst.leaf_count++] = n.leaf[moved++];
        for (int k = moved; k < n.leaf_count; k++)
            n.leaf[k - moved] = n.leaf[k];
        n.leaf_count -= moved;
    }
}

void sphere_tree_build(SphereTree *t)
{
    t->heap.clear();
    const int n = t->count;
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++)
            heap_push(t->heap, {pair_cost(t->node[i], t->node[j]), i, j});
    while (!t->heap.empty()) {
        SpherePair p = heap_pop(t->heap);
        if (t->node[p.a].active && t->node[p.b].active)
            merge(t, p.a, p.b);
    }
    hoist(t);
}

bool sphere_tree_within(const SphereTree *t, int node, const float *point, float distance)
{
    if (node < 0 || node >= t->count)
        return false;
    const SphereNode &n = t->node[node];
    if (n.child[0] < 0)
        return dist(point, n.c) + n.r <= distance;
    return sphere_tree_within(t, n.child[0], point, distance) && sphere_tree_within(t, n.child[1], point, distance);
}

bool sphere_tree_within_self(const SphereTree *t, int node, float distance)
{
    return node >= 0 && node < t->count && sphere_tree_within(t, node, t->node[node].c, distance);
}

static void nearest(const SphereTree *t, int node, const float *p, float *best, int *best_id)
{
    const SphereNode &n = t->node[node];
    if (dist(p, n.c) - n.r >= *best)
        return;
    if (n.child[0] < 0) {
        *best = dist(p, n.c) - n.r;
        *best_id = n.id;
        return;
    }
    // The nearer child first, so the far one is usually cut off.
    const SphereNode &a = t->node[n.child[0]], &b = t->node[n.child[1]];
    const bool a_first = dist(p, a.c) - a.r <= dist(p, b.c) - b.r;
    nearest(t, n.child[a_first ? 0 : 1], p, best, best_id);
    nearest(t, n.child[a_first ? 1 : 0], p, best, best_id);
}

int sphere_tree_nearest(const SphereTree *t, const float *point, float *distance)
{
    float best = INFINITY;
    int id = -1;
    if (t->root >= 0)
        nearest(t, t->root, point, &best, &id);
    else if (t->count == 1)
        nearest(t, 0, point, &best, &id);
    if (distance)
        *distance = best;
    return id;
}

void sphere_tree_print(const SphereTree *t, int node, FILE *out, int depth, uint32_t branches, bool last)
{
    if (node < 0 || node >= t->count)
        return;
    for (int d = 0; d + 1 < depth && d < 32; d++)
        fputs((branches >> d) & 1 ? "| " : "  ", out);
    if (depth > 0)
        fputs(last ? "\\-" : "|-", out);
    const SphereNode &n = t->node[node];
    fprintf(out, "(%.3f %.3f %.3f) r %.3f\n", n.c[0], n.c[1], n.c[2], n.r);
    for (int i = 0; i < n.leaf_count; i++)
        fprintf(out, "%*sLeaf: %d\n", 2 * (depth + 1), "", n.leaf[i]);
    if (n.child[0] < 0)
        return;
    const uint32_t below = depth > 0 && depth <= 32 && !last ? branches | (1u << (depth - 1)) : branches;
    sphere_tree_print(t, n.child[0], out, depth + 1, below, false);
    sphere_tree_print(t, n.child[1], out, depth + 1, below, true);
}
