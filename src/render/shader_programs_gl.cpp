#include <GL/glew.h>

#include "render/shader_programs_gl.h"

#include <cstdio>
#include <vector>

#include "render/shader_sources.h"

namespace {

unsigned g_handle[SHADER_ROW_COUNT];
std::vector<GLuint> g_shaders;   // every shader object made, for the release

GLuint compile_stage(GLenum kind, const char *const *parts, int count)
{
    const GLuint shader = glCreateShader(kind);
    if (!shader)
        return 0;
    g_shaders.push_back(shader);
    glShaderSource(shader, count, parts, nullptr);
    glCompileShader(shader);
    return shader;
}

// The uniform of the program that is current in GL (also one made current
// with glUseProgram directly).
GLint location(const char *name)
{
    if (!name || !glGetUniformLocation)
        return -1;
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program ? glGetUniformLocation((GLuint)program, name) : -1;
}

} // namespace

int gl20_entry_points_present(void)
{
    return glCreateProgram && glCreateShader && glShaderSource && glCompileShader &&
           glAttachShader && glLinkProgram && glGetProgramiv && glGetShaderiv && glGetShaderInfoLog &&
           glUseProgram && glGetUniformLocation && glUniform1i && glUniform4f && glUniformMatrix4fv &&
           glDeleteProgram && glDeleteShader && glGetAttribLocation && glVertexAttribPointer &&
           glEnableVertexAttribArray && glDisableVertexAttribArray;
}

unsigned compile_shader_program(const char *vertex_defines, const char *vertex_source, const char *shared_text,
                                const char *fragment_defines, const char *fragment_source, const char *name,
                                const char *prefix)
{
    if (!gl20_entry_points_present() || !vertex_source || !fragment_source)
        return 0;
    const GLuint program = glCreateProgram();
    if (!program)
        return 0;
    const char *vparts[3] = {GLSL_VERSION_LINE, vertex_defines ? vertex_defines : "", vertex_source};
    const GLuint vs = compile_stage(GL_VERTEX_SHADER, vparts, 3);
    const char *fparts[5] = {GLSL_VERSION_LINE, fragment_defines ? fragment_defines : "", prefix ? prefix : "",
                             shared_text ? shared_text : "", fragment_source};
    const GLuint fs = compile_stage(GL_FRAGMENT_SHADER, fparts, 5);

    if (fs) {
        GLint log_length = 0;
        glGetShaderiv(fs, GL_INFO_LOG_LENGTH, &log_length);
        if (log_length > 1) {
            std::vector<char> log((size_t)log_length + 1, '\0');
            glGetShaderInfoLog(fs, log_length, nullptr, log.data());
            printf("fragment program: %s\n%s\n", name ? name : "", log.data());
        }
    }
    if (vs)
        glAttachShader(program, vs);
    if (fs)
        glAttachShader(program, fs);
    glLinkProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (!status) {
        GLint vlen = 0;
        if (vs)
            glGetShaderiv(vs, GL_INFO_LOG_LENGTH, &vlen);
        if (vlen > 1) {
            std::vector<char> log((size_t)vlen + 1, '\0');
            glGetShaderInfoLog(vs, vlen, nullptr, log.data());
            printf("vertex program: %s\n%s\n", name ? name : "", log.data());
        }
        printf("failed:\n");
        fflush(stdout);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

int shaders_init(void)
{
    release_shader_programs();
    for (int r = 0; r < SHADER_ROW_COUNT; r++) {
        const ShaderRowDef *d = shader_row_def(r);
        if (shader_row_failed_before(r))
            continue;       // stays failed for the rest of the run
        g_handle[r] = compile_shader_program(d->vertex_defines, d->vertex, d->shared, d->fragment_defines,
                                             d->fragment, d->name, d->prefix);
    }
    return choose_active_programs(g_handle, &active_programs());
}

void release_shader_programs(void)
{
    if (glUseProgram)
        glUseProgram(0);
    for (unsigned &h : g_handle) {
        if (h && glDeleteProgram)
            glDeleteProgram(h);
        h = 0;
    }
    for (GLuint s : g_shaders)
        if (glDeleteShader)
            glDeleteShader(s);
    g_shaders.clear();
    active_programs() = ActivePrograms{};
}

unsigned shader_row_handle(int row) { return row >= 0 && row < SHADER_ROW_COUNT ? g_handle[row] : 0; }

unsigned shader_program_by_name(const char *name) { return shader_row_handle(shader_row_find(name)); }

unsigned raytrace_program(int kind, int count) { return shader_row_handle(raytrace_row(kind, count)); }

void use_program(unsigned program)
{
    if (glUseProgram)
        glUseProgram(program);
}

unsigned current_program(void)
{
    GLint program = 0;
    if (glUseProgram)
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return (unsigned)program;
}

void set_uniform_1i(const char *name, int v)
{
    const GLint at = location(name);
    if (at >= 0)
        glUniform1i(at, v);
}

void set_uniform_1f(const char *name, float v)
{
    const GLint at = location(name);
    if (at >= 0)
        glUniform1f(at, v);
}

void set_uniform_2f(const char *name, float x, float y)
{
    const GLint at = location(name);
    if (at >= 0)
        glUniform2f(at, x, y);
}

void set_uniform_3f(const char *name, float x, float y, float z)
{
    const GLint at = location(name);
    if (at >= 0)
        glUniform3f(at, x, y, z);
}

void set_uniform_4f(const char *name, float x, float y, float z, float w)
{
    const GLint at = location(name);
    if (at >= 0)
        glUniform4f(at, x, y, z, w);
}

void set_uniform_3fv(const char *name, const float v[3]) { set_uniform_3f(name, v[0], v[1], v[2]); }

void set_uniform_4fv(const char *name, const float v[4]) { set_uniform_4f(name, v[0], v[1], v[2], v[3]); }

void set_uniform_mat4_rows(const char *name, const float m[16])
{
    const GLint at = location(name);
    if (at >= 0)
        glUniformMatrix4fv(at, 1, GL_TRUE, m);
}
