// Building the shader path's meshes on the CPU: the source vertices, the
// sphere subdivision, the texture-coordinate passes, welding into indexed
// drawing meshes with tangents, the shadow-volume twins, and the geometry
// of every built-in mesh. No OpenGL here; mesh_gl uploads the results.
#pragma once
#include <cstdint>
#include <vector>

// One source vertex while a mesh is built (32 bytes).
struct BuildVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// The three vertex layouts of the buffers.
struct TexturedVertex {   // drawing meshes, 44 bytes
    float pos[3];
    float normal[3];
    float uv[2];
    float tangent[3];
};
struct PlainVertex {      // shadow-volume twins, 24 bytes
    float pos[3];
    float normal[3];
};
struct ColouredVertex {   // batched queue objects, 28 bytes
    float pos[3];
    float normal[3];
    uint8_t rgba[4];
};
static_assert(sizeof(TexturedVertex) == 44, "textured layout");
static_assert(sizeof(PlainVertex) == 24, "plain layout");
static_assert(sizeof(ColouredVertex) == 28, "coloured layout");

// Flags of build_mesh_data: 1 weld only equal normals, 2 weld only equal
// texture coordinates; exactly 32 makes a shadow-volume twin; any other
// value a drawing mesh.
enum { MESH_WELD_NORMALS = 1, MESH_WELD_UV = 2, MESH_TWIN = 32 };

// A mesh ready for upload. Indices are kept 32-bit here; the upload uses
// 16-bit indices while the vertices fit and 32-bit ones beyond 65,536.
struct MeshData {
    std::vector<TexturedVertex> textured;   // drawing mesh
    std::vector<PlainVertex> plain;         // twin
    std::vector<uint32_t> indices;
    int twin_faults;                        // edges without exactly one neighbour
};

// Welds (drawing mesh: textured layout with tangents) or builds the twin
// (plain layout, flat normals, one quad per shared edge). Twin faults print
// "Bug: create elementbuffer" / "Bug: 2 create elementbuffer" as they occur.
void build_mesh_data(const BuildVertex *vertices, int triangle_count, int flags, MeshData *out);

// Tangents of a welded mesh: per triangle from the texture coordinates,
// summed per vertex and made perpendicular to the normal. A triangle whose
// texture coordinates span no area adds nothing (never a NaN).
void compute_tangents(std::vector<TexturedVertex> &vertices, const std::vector<uint32_t> &indices);

// Appends the triangles of one face subdivided `level` times; positions are
// point + offset, normals the unit-sphere point.
void subdivide_triangle(std::vector<BuildVertex> &out, const float a[3], const float b[3], const float c[3],
                        int level, const float offset[3]);

// Texture-coordinate passes over a run of vertices (whole triangles for the
// seam pass). Every pass is defined at the poles and at the origin.
void spherical_uv(BuildVertex *begin, BuildVertex *end);
void fix_uv_seams(BuildVertex *begin, BuildVertex *end);
void planar_uv(BuildVertex *begin, BuildVertex *end);
void polar_uv(BuildVertex *begin, BuildVertex *end);

// The geometry of the built-in meshes, as triangles (3 vertices each).
void sphere_geometry(int level, std::vector<BuildVertex> &out);   // level 1..4, no texture coordinates
void dome_geometry(int level, std::vector<BuildVertex> &out);     // with its own mapping
void capsule_geometry(int level, std::vector<BuildVertex> &out);  // with texture coordinates, seams fixed
void box_geometry(std::vector<BuildVertex> &out);                 // 36 vertices, atlas mapping
void fine_box_geometry(std::vector<BuildVertex> &out);            // 324 vertices
void shell_geometry(std::vector<BuildVertex> &out);               // 13 x 48 quads (3744 vertices), planar mapping
