// Compiling and linking the program table, the handles of its rows, making
// a program current and setting its uniforms by name. Main thread only.
#pragma once

#include "render/shader_table.h"

// 1 when the driver offers the OpenGL 2.0 entry points the programs need
// (glCreateProgram and the rest); some drivers have only the ARB forms.
int gl20_entry_points_present(void);

// Compiles one program: the vertex stage from "#version 120", the vertex
// defines and the vertex body; the fragment stage from "#version 120", the
// defines, the prefix, the shared text (may be null) and the body, handed
// over as separate strings. Prints "fragment program: <name>\n<log>\n"
// when the fragment log is not empty and "failed:\n" when linking fails.
// Returns the program handle, 0 when it did not link.
unsigned compile_shader_program(const char *vertex_defines, const char *vertex_source, const char *shared_text,
                                const char *fragment_defines, const char *fragment_source, const char *name,
                                const char *prefix);
// Compiles every row, then the capability scan and the ladder (which fill
// active_programs()). 0 when every basic row linked, 1 otherwise.
int shaders_init(void);
// Deletes every program and shader object made by shaders_init; every
// handle and slot becomes 0.
void release_shader_programs(void);

// The handle of a row (0 when it did not link or is outside the table).
unsigned shader_row_handle(int row);
// The handle of the first row of that name.
unsigned shader_program_by_name(const char *name);
// The batch row's handle for kind 0 spheres, 1 capsules, 2 boxes and a
// count of objects (0 when none).
unsigned raytrace_program(int kind, int count);

// Makes a program current (0: none, fixed-function drawing).
void use_program(unsigned program);
unsigned current_program(void);
// Uniforms of the current program, looked up by name at each call. With
// no current program, or a name the program does not use, nothing is set
// (and no GL error is raised).
void set_uniform_1i(const char *name, int v);
void set_uniform_1f(const char *name, float v);
void set_uniform_2f(const char *name, float x, float y);
void set_uniform_3f(const char *name, float x, float y, float z);
void set_uniform_4f(const char *name, float x, float y, float z, float w);
void set_uniform_3fv(const char *name, const float v[3]);
void set_uniform_4fv(const char *name, const float v[4]);
// A 4 x 4 matrix given row by row (uploaded with transpose set).
void set_uniform_mat4_rows(const char *name, const float m[16]);
