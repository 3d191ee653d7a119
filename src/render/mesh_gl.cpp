#include <GL/glew.h>

#include "render/mesh_gl.h"

#include <cstdio>
#include <cstring>

#include "render/render_math.h"

namespace {

int g_failed;
int g_tangent_attrib = -1;   // enabled by bind_textured_layout
Mesh g_meshes[MESH_REF_COUNT][2];

enum { BATCH_MAX_VERTICES = 65536, BATCH_MAX_INDICES = 65536 };
std::vector<ColouredVertex> g_batch_vertices;
std::vector<uint32_t> g_batch_indices;

const GLvoid *offset(size_t bytes) { return (const GLvoid *)bytes; }

int fail_upload(Mesh *mesh)
{
    fprintf(stderr, "Failed to lock vertex buffer\n");
    g_failed = 1;
    mesh->vertex_count = mesh->index_count = 0;
    mesh->copy_vertices.clear();
    mesh->copy_indices.clear();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return 1;
}

// Fills the bound buffer of `target` with `bytes` through a write-only
// mapping; false when it cannot be mapped.
bool fill_buffer(GLenum target, const void *data, size_t bytes)
{
    glBufferData(target, (GLsizeiptr)bytes, nullptr, GL_STATIC_DRAW);
    if (bytes == 0)
        return true;
    void *dst = glMapBuffer(target, GL_WRITE_ONLY);
    if (!dst)
        return false;
    memcpy(dst, data, bytes);
    return glUnmapBuffer(target) == GL_TRUE;
}

bool gl_buffers_available(void) { return glGenBuffers && glBindBuffer && glBufferData && glMapBuffer && glUnmapBuffer; }

int build_pair(MeshRef ref, std::vector<BuildVertex> &v, int flags)
{
    const int tris = (int)(v.size() / 3);
    int bad = build_mesh(&g_meshes[ref][0], v.data(), tris, flags);
    if (flags != 130 && flags != 160)
        bad |= build_mesh(&g_meshes[ref][1], v.data(), tris, MESH_TWIN);
    return bad;
}

// Binds the mesh's buffers and the arrays every layout begins with: the
// position at byte 0 and the normal at byte 12 of each vertex.
void bind_positions_and_normals(const Mesh *mesh, GLsizei stride)
{
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vertex_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->element_buffer);
    glVertexPointer(3, GL_FLOAT, stride, offset(0));
    glNormalPointer(GL_FLOAT, stride, offset(12));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
}

// The tangent attribute the last textured layout enabled, turned off.
void drop_tangent_attrib(void)
{
    if (g_tangent_attrib >= 0) {
        glDisableVertexAttribArray((GLuint)g_tangent_attrib);
        g_tangent_attrib = -1;
    }
}

} // namespace

int vertex_buffer_failed(void) { return g_failed; }
void clear_vertex_buffer_failed(void) { g_failed = 0; }

int upload_mesh(Mesh *mesh, const void *vertices, int stride, int vertex_count, const uint32_t *indices,
                int index_count, int keep_copy)
{
    if (vertex_count < 0 || index_count < 0 || stride <= 0)
        return fail_upload(mesh);
    mesh->vertex_count = vertex_count;
    mesh->index_count = index_count;
    mesh->index_size = vertex_count > 65536 ? 4 : 2;
    if (!gl_buffers_available()) {
        fprintf(stderr, "Failed to create vertex buffer\n");
        return fail_upload(mesh);
    }
    if (!mesh->vertex_buffer)
        glGenBuffers(1, &mesh->vertex_buffer);
    if (!mesh->vertex_buffer) {
        fprintf(stderr, "Failed to create vertex buffer\n");
        return fail_upload(mesh);
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vertex_buffer);
    if (!fill_buffer(GL_ARRAY_BUFFER, vertices, (size_t)vertex_count * (size_t)stride))
        return fail_upload(mesh);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    if (!mesh->element_buffer)
        glGenBuffers(1, &mesh->element_buffer);
    if (!mesh->element_buffer)
        return fail_upload(mesh);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->element_buffer);
    bool ok;
    if (mesh->index_size == 2) {
        std::vector<uint16_t> small((size_t)index_count);
        for (int i = 0; i < index_count; i++)
            small[(size_t)i] = (uint16_t)indices[i];
        ok = fill_buffer(GL_ELEMENT_ARRAY_BUFFER, small.data(), small.size() * 2);
    } else {
        ok = fill_buffer(GL_ELEMENT_ARRAY_BUFFER, indices, (size_t)index_count * 4);
    }
    if (!ok)
        return fail_upload(mesh);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    mesh->copy_vertices.clear();
    mesh->copy_indices.clear();
    if (keep_copy) {
        mesh->copy_vertices.resize((size_t)vertex_count);
        const unsigned char *src = (const unsigned char *)vertices;
        for (int i = 0; i < vertex_count; i++) {
            ColouredVertex &c = mesh->copy_vertices[(size_t)i];
            memset(&c, 0, sizeof c);
            memcpy(&c, src + (size_t)i * (size_t)stride, stride < 24 ? (size_t)stride : 24);
        }
        mesh->copy_indices.assign(indices, indices + index_count);
    }
    return 0;
}

int build_mesh(Mesh *mesh, const BuildVertex *vertices, int triangle_count, int flags)
{
    MeshData data;
    build_mesh_data(vertices, triangle_count, flags, &data);
    if (flags == MESH_TWIN)
        return upload_mesh(mesh, data.plain.data(), (int)sizeof(PlainVertex), (int)data.plain.size(),
                           data.indices.data(), (int)data.indices.size(), 0);
    return upload_mesh(mesh, data.textured.data(), (int)sizeof(TexturedVertex), (int)data.textured.size(),
                       data.indices.data(), (int)data.indices.size(), 1);
}

void free_mesh(Mesh *mesh)
{
    if (mesh->vertex_buffer && glDeleteBuffers)
        glDeleteBuffers(1, &mesh->vertex_buffer);
    if (mesh->element_buffer && glDeleteBuffers)
        glDeleteBuffers(1, &mesh->element_buffer);
    *mesh = Mesh{};
}

void bind_textured_layout(const Mesh *mesh)
{
    const GLsizei stride = (GLsizei)sizeof(TexturedVertex);
    bind_positions_and_normals(mesh, stride);
    glTexCoordPointer(2, GL_FLOAT, stride, offset(24));
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    drop_tangent_attrib();
    if (program) {
        const GLint at = glGetAttribLocation((GLuint)program, "tangent");
        if (at >= 0) {
            glVertexAttribPointer((GLuint)at, 3, GL_FLOAT, GL_FALSE, stride, offset(32));
            glEnableVertexAttribArray((GLuint)at);
            g_tangent_attrib = at;
        }
    }
}

void bind_plain_layout(const Mesh *mesh)
{
    bind_positions_and_normals(mesh, (GLsizei)sizeof(PlainVertex));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

void bind_coloured_layout(const Mesh *mesh)
{
    const GLsizei stride = (GLsizei)sizeof(ColouredVertex);
    bind_positions_and_normals(mesh, stride);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, offset(24));
    glEnableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void unbind_layout(void)
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    drop_tangent_attrib();
}

void draw_mesh(const Mesh *mesh)
{
    if (!mesh || !mesh->vertex_buffer || !mesh->element_buffer || mesh->index_count <= 0)
        return;
    glDrawElements(GL_TRIANGLES, mesh->index_count, mesh->index_size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                   offset(0));
}

int build_builtin_meshes(void)
{
    int bad = 0;
    std::vector<BuildVertex> v;
    for (int level = 1; level <= 4; level++) {
        sphere_geometry(level, v);
        spherical_uv(v.data(), v.data() + v.size());
        fix_uv_seams(v.data(), v.data() + v.size());
        bad |= build_pair(MESH_SPHERE_1 + level - 1, v, MESH_WELD_UV);
        polar_uv(v.data(), v.data() + v.size());
        bad |= build_pair(MESH_SPHERE_POLAR_1 + level - 1, v, MESH_WELD_UV);
    }
    box_geometry(v);
    bad |= build_pair(MESH_BOX, v, MESH_WELD_NORMALS);
    fine_box_geometry(v);
    bad |= build_pair(MESH_FINE_BOX, v, MESH_WELD_NORMALS);
    for (int level = 1; level <= 4; level++) {
        capsule_geometry(level, v);
        bad |= build_pair(MESH_CAPSULE_1 + level - 1, v, MESH_WELD_UV);
    }
    for (int level = 1; level <= 4; level++) {
        dome_geometry(level, v);
        bad |= build_pair(MESH_DOME_1 + level - 1, v, MESH_WELD_NORMALS);
        polar_uv(v.data(), v.data() + v.size());
        bad |= build_pair(MESH_DOME_POLAR_1 + level - 1, v, MESH_WELD_UV);
    }
    shell_geometry(v);
    bad |= build_pair(MESH_SHELL, v, 130);
    bad |= build_pair(MESH_SHELL_POSITIONS, v, 160);
    return bad;
}

void free_builtin_meshes(void)
{
    for (auto &pair : g_meshes)
        for (Mesh &m : pair)
            free_mesh(&m);
    g_batch_vertices.clear();
    g_batch_indices.clear();
}

Mesh *mesh_draw_part(MeshRef ref) { return ref >= 0 && ref < MESH_REF_COUNT ? &g_meshes[ref][0] : nullptr; }
Mesh *mesh_shadow_part(MeshRef ref) { return ref >= 0 && ref < MESH_REF_COUNT ? &g_meshes[ref][1] : nullptr; }

void batch_begin(void)
{
    g_batch_vertices.clear();
    g_batch_indices.clear();
}

int batch_append(MeshRef ref, const float position[3], const float orientation[9], const float colour[4])
{
    const Mesh *m = mesh_draw_part(ref);
    if (!m || ref == MESH_BATCH || m->copy_vertices.empty())
        return 1;
    if (g_batch_vertices.size() + m->copy_vertices.size() > BATCH_MAX_VERTICES ||
        g_batch_indices.size() + m->copy_indices.size() > BATCH_MAX_INDICES)
        return 1;
    uint8_t packed[4];
    pack_rgba(colour, packed);
    const uint32_t base = (uint32_t)g_batch_vertices.size();
    for (const ColouredVertex &src : m->copy_vertices) {
        ColouredVertex out;
        mat3_mul_vec(orientation, src.pos, out.pos);
        for (int k = 0; k < 3; k++)
            out.pos[k] += position[k];
        mat3_mul_vec(orientation, src.normal, out.normal);
        memcpy(out.rgba, packed, 4);
        g_batch_vertices.push_back(out);
    }
    for (uint32_t i : m->copy_indices)
        g_batch_indices.push_back(base + i);
    return 0;
}

int batch_finish(void)
{
    return upload_mesh(&g_meshes[MESH_BATCH][0], g_batch_vertices.data(), (int)sizeof(ColouredVertex),
                       (int)g_batch_vertices.size(), g_batch_indices.data(), (int)g_batch_indices.size(), 0);
}
