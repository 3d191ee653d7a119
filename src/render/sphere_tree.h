// The sphere tree: a set of spheres grouped into a hierarchy of enclosing
// spheres by greedy pairwise merging (cheapest pair first).
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

enum {
    SPHERE_TREE_LEAF_SLOTS = 16,     // leaf indices one node can hold
    SPHERE_TREE_DEFAULT_LEAVES = 200,
    SPHERE_TREE_MAX_LEAVES = 1024,
};

struct SphereNode {
    float c[3], r;
    int32_t child[2];   // node numbers, -1 for none (a leaf)
    int32_t parent;     // -1 for none
    int32_t id;         // the index given when added; -1 for a merged node
    int32_t leaf_count;
    int32_t leaf[SPHERE_TREE_LEAF_SLOTS];
    uint8_t active;
};

struct SpherePair {
    float cost;
    int32_t a, b;
};

struct SphereTree {
    std::vector<SphereNode> node;  // the pool: 2 x leaves - 1 nodes, made at init
    int32_t count = 0;
    int32_t leaves = 0;
    int32_t max_leaves = 0;
    int32_t root = -1;
    std::vector<SpherePair> heap;
};

// Empties the tree and sizes its pool for max_leaves leaves and every node
// merging them makes (2 x max_leaves - 1). More than SPHERE_TREE_MAX_LEAVES
// is refused with a message (false) and leaves the tree unable to take any.
bool sphere_tree_init(SphereTree *t, int max_leaves = SPHERE_TREE_DEFAULT_LEAVES);
// Adds a leaf sphere carrying index. Returns 0, or -1 with a message when
// the tree already holds the leaves it was sized for or the radius is
// negative or not finite.
int sphere_tree_add(SphereTree *t, const float *centre, float radius, int index);
// Builds the hierarchy over every leaf added since init; the root is the
// last node made (none for fewer than two leaves). Leaves of nodes larger
// than a third of an ancestor are hoisted into it while its list has room.
void sphere_tree_build(SphereTree *t);

// True when every leaf sphere under node lies within distance of point.
bool sphere_tree_within(const SphereTree *t, int node, const float *point, float distance);
bool sphere_tree_within_self(const SphereTree *t, int node, float distance);
// The index of the leaf sphere whose surface is nearest point (a point
// inside a sphere is at negative distance); -1 for an empty tree.
int sphere_tree_nearest(const SphereTree *t, const float *point, float *distance);
// Prints the tree below node with branch marks and "Leaf: %d" lines.
void sphere_tree_print(const SphereTree *t, int node, FILE *out, int depth = 0, uint32_t branches = 0,
                       bool last = true);
