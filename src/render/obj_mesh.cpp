#include "render/obj_mesh.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/base/utils.h"
#include "render/image_file.h"

void obj_mesh_init(ObjMesh *m)
{
    m->v.assign(3, 0.0f);
    m->n.assign(3, 0.0f);
    m->t.assign(2, 0.0f);
    m->f.assign(1, ObjTriangle());
}

namespace {

// Splits a line at blanks.
std::vector<std::string> words(const std::string &line)
{
    std::vector<std::string> w;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            i++;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r')
            j++;
        if (j > i)
            w.push_back(line.substr(i, j - i));
        i = j;
    }
    return w;
}

bool read_floats(const std::vector<std::string> &w, size_t count, std::vector<float> &out)
{
    if (w.size() < count + 1)
        return false;
    float vals[3];
    for (size_t k = 0; k < count; k++) {
        char *end = nullptr;
        errno = 0;
        const double d = strtod(w[k + 1].c_str(), &end);
        if (end == w[k + 1].c_str() || *end || errno == ERANGE || !std::isfinite(d))
            return false;
        vals[k] = (float)d;
    }
    out.insert(out.end(), vals, vals + count);
    return true;
}

// One index field: empty (or 0 for an optional one, as written for a
// corner without it) means none; otherwise 1 .. size - 1.
bool read_index(const std::string &s, size_t size, bool required, int32_t *out)
{
    if (s.empty()) {
        *out = 0;
        return !required;
    }
    char *end = nullptr;
    errno = 0;
    const long v = strtol(s.c_str(), &end, 10);
    if (*end || errno == ERANGE || v < (required ? 1 : 0) || (size_t)v >= size)
        return false;
    *out = (int32_t)v;
    return true;
}

bool read_corner(const ObjMesh *m, const std::string &word, ObjCorner *c)
{
    std::string part[3];
    int k = 0;
    for (char ch : word) {
        if (ch == '/') {
            if (++k > 2)
                return false;
        } else {
            part[k] += ch;
        }
    }
    return read_index(part[0], m->v.size() / 3, true, &c->v) && read_index(part[1], m->t.size() / 2, false, &c->t) &&
           read_index(part[2], m->n.size() / 3, false, &c->n);
}

bool read_line(ObjMesh *m, const std::string &line)
{
    const std::vector<std::string> w = words(line);
    if (w.empty())
        return true;
    if (w[0] == "v")
        return read_floats(w, 3, m->v);
    if (w[0] == "vn")
        return read_floats(w, 3, m->n);
    if (w[0] == "vt")
        return read_floats(w, 2, m->t);
    if (w[0] != "f")
        return true;
    if (w.size() < 4)
        return false;
    ObjTriangle tri;
    for (int k = 0; k < 3; k++)
        if (!read_corner(m, w[k + 1], &tri.c[k]))
            return false;
    m->f.push_back(tri);
    return true;
}

} // namespace

int obj_mesh_read_string(ObjMesh *m, const char *text)
{
    if (m->v.empty())
        obj_mesh_init(m);
    int refused = 0, number = 0;
    const char *p = text;
    while (p && *p) {
        const char *e = strchr(p, '\n');
        const std::string line(p, e ? (size_t)(e - p) : strlen(p));
        number++;
        if (!read_line(m, line)) {
            fprintf(stderr, "OBJ line %d refused: %.60s\n", number, line.c_str());
            refused++;
        }
        p = e ? e + 1 : nullptr;
    }
    return refused;
}

int obj_mesh_read_file(ObjMesh *m, const char *path)
{
    std::vector<uint8_t> data;
    if (!file_exists(path))
        return 1;
    if (load_file_to_buffer(data, path) != 0)
        return obj_mesh_read_string(m, "");  // an empty file
    data.push_back(0);
    return obj_mesh_read_string(m, (const char *)data.data());
}

bool obj_mesh_write(const ObjMesh *m, const char *path)
{
    FILE *f = path ? replace_file_open(path) : nullptr;
    if (!f)
        return false;
    for (size_t i = 3; i + 2 < m->v.size(); i += 3)
        fprintf(f, "v %.9g %.9g %.9g\n", m->v[i], m->v[i + 1], m->v[i + 2]);
    for (size_t i = 3; i + 2 < m->n.size(); i += 3)
        fprintf(f, "vn %.9g %.9g %.9g\n", m->n[i], m->n[i + 1], m->n[i + 2]);
    for (size_t i = 2; i + 1 < m->t.size(); i += 2)
        fprintf(f, "vt %.9g %.9g\n", m->t[i], m->t[i + 1]);
    for (size_t i = 1; i < m->f.size(); i++) {
        const ObjTriangle &t = m->f[i];
        fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", t.c[0].v, t.c[0].t, t.c[0].n, t.c[1].v, t.c[1].t, t.c[1].n,
                t.c[2].v, t.c[2].t, t.c[2].n);
    }
    return replace_file_commit(f, path) == 0;
}
