// The GLSL texts of the shader path (GLSL 1.20, compatibility built-ins).
// Each is a body: the compiler receives "#version 120", the row's defines,
// the batch prefix, the shared ray-trace library and then the body, as
// separate strings (shader_table.h).
//
// Uniform types (a setter of another size is a GL error):
//   vec4: konstant, globalcolor, occa..occl, fogcolor, floorcolor,
//         backgroundcolor, sun_color, ambient_color, mirrorcolor, layer,
//         boxtexscaler, param, reflectorsphere, capsule, s0..s5, c0..c5,
//         a0..a3, sa..sp, the blood program's lightdir
//   vec3: lightdir (every other program), lightdir_sun, vlightdir
//   vec2: lightfov, step, WinCoord
//   float: move, focus_depth, fstop, FilterSwitch
//   int: use_texture0 and every sampler (texture0, texture1, depth_tex,
//        skytexture, s0..s7 of the motion-blur programs)
//   mat4: rotmat
#pragma once

extern const char *const GLSL_VERSION_LINE;   // "#version 120\n"

// Vertex bodies.
extern const char *const VS_OBJECT;       // objects: TEXCOORD, TCGEN, BUMP, GHOST, FUR, FURBOX
extern const char *const VS_GROUND;
extern const char *const VS_COPY;         // floor copy and floor stains
extern const char *const VS_STAIN;
extern const char *const VS_BLOOD;
extern const char *const VS_SHADOW;       // FLOOR: every vertex onto the floor, with fog
extern const char *const VS_SCREEN;       // full-screen passes
extern const char *const VS_SKY;
extern const char *const VS_REFLECTION;   // CAPSULE: the capsule reflector

// Fragment bodies.
extern const char *const FS_OBJECT;       // TEXTURED, BUMP, OCCLUDERS n, SOFT_AO, SHINY
extern const char *const FS_SIMPLE;       // TEXTURED, TOP, SUN
extern const char *const FS_GHOST;
extern const char *const FS_GROUND;       // OCCLUDERS n
extern const char *const FS_COPY;
extern const char *const FS_STAIN;
extern const char *const FS_STAINCOPY;
extern const char *const FS_BLOOD;        // SPHERES n
extern const char *const FS_SHADOW;
extern const char *const FS_SHADOW_FLOOR;
extern const char *const FS_COMBINE;
extern const char *const FS_SMOOTH;
extern const char *const FS_FINAL;
extern const char *const FS_BUMPMAP;
extern const char *const FS_DEPTHFILTER;
extern const char *const FS_GAUSSIAN;
extern const char *const FS_ANAGLYPH;
extern const char *const FS_TEXTURE;
extern const char *const FS_SKY;
extern const char *const FS_REFLECTION;
extern const char *const FS_REFBACKGROUND;
extern const char *const FS_RAYTRACE_SPHERES;
extern const char *const FS_RAYTRACE_CYLINDERS;
extern const char *const FS_RAYTRACE_BOXES;
extern const char *const FS_FUR;

// The ray-trace library placed before the fragment body of the ray-trace
// rows: background(), getFresnel(), colorfunc() and their uniforms.
extern const char *const RAYTRACE_LIBRARY;
