// Triangle meshes in the OBJ text format: read from a file or a string and
// written back. Each list starts with one zero element so that the file's
// 1-based indices address it directly.
#pragma once
#include <cstdint>
#include <vector>

struct ObjCorner {
    int32_t v, t, n;  // vertex, texture-coordinate and normal index; 0 for none
};

struct ObjTriangle {
    ObjCorner c[3];
};

struct ObjMesh {
    std::vector<float> v;   // x, y, z per vertex
    std::vector<float> n;   // x, y, z per normal
    std::vector<float> t;   // u, v per texture coordinate
    std::vector<ObjTriangle> f;
};

// The four lists with their zero elements.
void obj_mesh_init(ObjMesh *m);
// Appends what the text holds: "v", "vn", "vt" and "f" lines; other lines
// are ignored. A face keeps its first three corners; corners may be "v",
// "v/t", "v//n" or "v/t/n". A line with too few numbers, a number that does
// not parse, or an index that names no element read so far is refused with
// a message. Returns the number of refused lines.
int obj_mesh_read_string(ObjMesh *m, const char *text);
// 1 when the file cannot be read, else obj_mesh_read_string's result with
// each refused line counted.
int obj_mesh_read_file(ObjMesh *m, const char *path);
// Writes the lists (without their zero elements) and the triangles as
// "v/t/n" corners. Returns false when the file cannot be written.
bool obj_mesh_write(const ObjMesh *m, const char *path);
