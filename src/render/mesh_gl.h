// Meshes of the shader path in OpenGL buffer objects: upload, the three
// vertex layouts, drawing, the built-in meshes made at renderer start-up
// (each a drawing mesh with its shadow-volume twin) and the batched mesh of
// the frame's queued objects. Meshes are referred to by index (MeshRef),
// never by pointer, so that per-frame records hold no addresses.
#pragma once
#include <cstdint>
#include <vector>

#include "render/mesh_build.h"

struct Mesh {
    unsigned vertex_buffer;   // 0: none
    unsigned element_buffer;
    int32_t vertex_count;
    int32_t index_count;
    int32_t index_size;       // 2 (16-bit indices) or 4 (more than 65,536 vertices)
    // Kept with keep_copy: position and normal of every vertex (the first
    // 24 bytes of each record; the colour bytes unused), and the indices.
    std::vector<ColouredVertex> copy_vertices;
    std::vector<uint32_t> copy_indices;
};

// Creates the buffers when absent and fills them (static draw). A failure
// prints "Failed to create vertex buffer" or "Failed to lock vertex
// buffer", raises vertex_buffer_failed and leaves counts 0 (draws nothing).
// 0 on success, 1 on failure.
int upload_mesh(Mesh *mesh, const void *vertices, int stride, int vertex_count, const uint32_t *indices,
                int index_count, int keep_copy);
// Welds and uploads (flags as build_mesh_data); 0 on success.
int build_mesh(Mesh *mesh, const BuildVertex *vertices, int triangle_count, int flags);
// Deletes the buffers and the copies; the record is empty again.
void free_mesh(Mesh *mesh);

// Bind the mesh's buffers and set the client arrays of a layout: textured
// (44 bytes: position, normal, texture coordinates, and the current
// program's "tangent" attribute when it has one), plain (24 bytes: position,
// normal) or coloured (28 bytes: position, normal, colour bytes).
void bind_textured_layout(const Mesh *mesh);
void bind_plain_layout(const Mesh *mesh);
void bind_coloured_layout(const Mesh *mesh);
// Unbinds both buffers; vertex, normal, texture-coordinate and colour
// arrays and the tangent attribute off.
void unbind_layout(void);
// The bound mesh's triangles (a mesh without buffers draws nothing).
void draw_mesh(const Mesh *mesh);

int vertex_buffer_failed(void);
void clear_vertex_buffer_failed(void);

// The built-in meshes. A MeshRef names a pair: the drawing mesh and its
// shadow-volume twin (the two shells have no twin).
typedef int32_t MeshRef;
enum BuiltinMesh {
    MESH_NONE = -1,
    MESH_SPHERE_1 = 0,                       // spherical mapping, levels 1..4
    MESH_SPHERE_POLAR_1 = MESH_SPHERE_1 + 4, // polar mapping, levels 1..4
    MESH_DOME_1 = MESH_SPHERE_POLAR_1 + 4,   // levels 1..4
    MESH_DOME_POLAR_1 = MESH_DOME_1 + 4,
    MESH_CAPSULE_1 = MESH_DOME_POLAR_1 + 4,
    MESH_BOX = MESH_CAPSULE_1 + 4,
    MESH_FINE_BOX,
    MESH_SHELL,           // latitude-longitude shell, welded by texture coordinates (the sky dome)
    MESH_SHELL_POSITIONS, // the same shell welded by position
    MESH_BATCH,           // the frame's batched queue objects (coloured layout)
    MESH_REF_COUNT
};

// Builds every built-in mesh (start-up, after the GL context exists);
// 0 when all uploaded.
int build_builtin_meshes(void);
// Deletes every mesh's buffers, the batch included.
void free_builtin_meshes(void);
// The drawing mesh and the twin of a reference; null outside the table.
Mesh *mesh_draw_part(MeshRef ref);
Mesh *mesh_shadow_part(MeshRef ref);

// The batched mesh: emptied, objects appended (each vertex of the mesh's
// kept copy placed at position + R p with normal R n, R row by row, in the
// packed colour), then uploaded. The batch stops taking objects before its
// 65,536 vertices or 65,536 indices would be exceeded: append then
// returns 1 and the object is left out.
void batch_begin(void);
int batch_append(MeshRef ref, const float position[3], const float orientation[9], const float colour[4]);
int batch_finish(void);
