#include "render/shader_sources.h"

// Shared by the bodies: a normalisation that leaves a zero vector zero
// (GLSL's normalize gives NaN there) and an atan that is 0 at the origin.
#define KX_GLSL_HELPERS                                                          \
    "vec3 safe_normalize(vec3 v) { float l = length(v); return l > 0.0 ? v / l : v; }\n" \
    "float safe_atan(float y, float x) { return abs(x) + abs(y) > 1e-12 ? atan(y, x) : 0.0; }\n"

#define KX_OCCLUDER_UNIFORMS \
    "uniform vec4 occa, occb, occc, occd, occe, occf, occg, occh, occi, occj, occk, occl;\n"
#define KX_OCCLUDER_ARRAY \
    "    vec4 occ[12] = vec4[12](occa, occb, occc, occd, occe, occf, occg, occh, occi, occj, occk, occl);\n"

// What the object vertex stage hands every fragment body drawn with it,
// and what the reflection vertex stage hands its fragment body.
#define KX_OBJECT_VARYINGS \
    "varying vec3 normal;\n" \
    "varying vec3 globalpos;\n" \
    "varying vec3 campos;\n" \
    "varying vec4 colour;\n"
#define KX_REFLECTION_VARYINGS \
    "varying vec3 normal;\n" \
    "varying vec3 globalpos;\n" \
    "varying vec3 raydir;\n" \
    "varying vec4 colour;\n"

const char *const GLSL_VERSION_LINE = "#version 120\n";

const char *const VS_OBJECT =
    KX_GLSL_HELPERS
    "uniform vec4 konstant;\n"
    "#if !defined(GHOST) && !defined(FUR)\n"
    "uniform vec4 globalcolor;\n"
    "#endif\n"
    KX_OBJECT_VARYINGS
    "#ifdef TCGEN\n"
    "uniform mat4 rotmat;\n"
    "#endif\n"
    "#ifdef BUMP\n"
    "attribute vec3 tangent;\n"
    "varying vec3 tang;\n"
    "varying vec3 bitang;\n"
    "#endif\n"
    "#ifdef FUR\n"
    "uniform vec4 layer;\n"
    "uniform vec3 lightdir;\n"
    "#ifdef FURBOX\n"
    "uniform vec4 boxtexscaler;\n"
    "#endif\n"
    "#endif\n"
    "void main()\n"
    "{\n"
    "    vec4 local = gl_Vertex;\n"
    // A sphere mesh becomes a capsule of half-length konstant.x.
    "    local.z += local.z < 0.0 ? -konstant.x : konstant.x;\n"
    "#ifdef FUR\n"
    "    local.xyz += gl_Normal * layer.y;\n"
    "#endif\n"
    "    vec4 g = gl_TextureMatrix[0] * local;\n"
    "    globalpos = g.xyz;\n"
    // konstant.z = -2 draws the mirror image below the floor.
    "    g.z *= 1.0 + konstant.z;\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * g;\n"
    "#ifdef GHOST\n"
    // A ghost lies on its live shape, but as a body of its own it comes
    // there only to within a hair (the preview steps it), so the depths of
    // the two surfaces tie to within rounding and each pixel would pick one
    // at random: stripes and specks. The ghost takes the depth of the point
    // about a thousandth nearer the eye on the same view ray (a millimetre
    // per metre of distance, no gap a player could see), so a ghost on what
    // is drawn always shows on it, and one that moved away behind it stays
    // hidden. For a perspective projection that point differs from this one
    // only in clip z, by 0.001 x the projection's z translation: x, y and w
    // stay the live shape's, and the ghost covers the same pixels.
    "    gl_Position.z += 0.001 * gl_ProjectionMatrix[3].z;\n"
    "#endif\n"
    // For the user clip planes (the sky's mirror image keeps to below the
    // floor); unused while none is on.
    "    gl_ClipVertex = gl_ModelViewMatrix * g;\n"
    "    normal = safe_normalize((gl_TextureMatrix[0] * vec4(gl_Normal, 0.0)).xyz);\n"
    "    campos = (gl_ModelViewMatrix * vec4(0.0, 0.0, 0.0, -1.0)).xyz * gl_NormalMatrix;\n"
    "#if defined(GHOST)\n"
    "    colour = gl_Color;\n"
    "#elif defined(FUR)\n"
    "    float dt = dot(normal, lightdir);\n"
    "    float fur = dt < 0.0 ? dt * 0.6 + 0.9 : 0.9 + dt * 0.1;\n"
    "    float skin = dt * 0.2 + 0.4;\n"
    "    colour = vec4(gl_Color.rgb * (layer.x * fur + (1.0 - layer.x) * skin), gl_Color.a);\n"
    "#else\n"
    "    colour = globalcolor;\n"
    "#endif\n"
    "#if defined(TCGEN)\n"
    "    vec4 r = rotmat * gl_Vertex;\n"
    "    gl_TexCoord[0] = vec4(safe_atan(-r.x, -r.y) / (-2.0 * 3.142) + 0.5,\n"
    "                          safe_atan(r.z, sqrt(r.x * r.x + r.y * r.y)) / 3.142 + 0.5, 0.0, 1.0);\n"
    "#elif defined(FURBOX)\n"
    "    vec3 p = gl_Vertex.xyz * boxtexscaler.xyz;\n"
    "    gl_TexCoord[0] = vec4(p.xy * gl_Normal.z + p.xz * gl_Normal.y + p.yz * gl_Normal.x, 0.0, 1.0);\n"
    "#elif defined(TEXCOORD) || defined(FUR)\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "#else\n"
    "    gl_TexCoord[0] = vec4(0.0);\n"
    "#endif\n"
    "#ifdef BUMP\n"
    "    tang = safe_normalize((gl_TextureMatrix[0] * vec4(tangent, 0.0)).xyz);\n"
    "    bitang = safe_normalize(cross(normal, tang));\n"
    "#endif\n"
    "}\n";

const char *const FS_OBJECT =
    KX_GLSL_HELPERS
    "uniform vec3 lightdir;\n"
    "uniform sampler2D texture0;\n"
    "#ifdef BUMP\n"
    "uniform sampler2D texture1;\n"
    "uniform int use_texture0;\n"
    "varying vec3 tang;\n"
    "varying vec3 bitang;\n"
    "#endif\n"
    "#ifdef OCCLUDERS\n"
    KX_OCCLUDER_UNIFORMS
    "#endif\n"
    KX_OBJECT_VARYINGS
    "void main()\n"
    "{\n"
    "    vec3 n = safe_normalize(normal);\n"
    "#ifdef BUMP\n"
    "    vec3 t = safe_normalize(tang);\n"
    "    vec3 b = safe_normalize(bitang);\n"
    "    vec3 bn = safe_normalize(texture2D(texture1, gl_TexCoord[0].xy).xyz * 2.0 - 1.0);\n"
    "    vec3 tl = vec3(dot(lightdir, t), dot(lightdir, b), dot(lightdir, n));\n"
    "    float f = dot(bn, tl) * 0.3 + 0.7;\n"
    "#else\n"
    "    float f = dot(n, lightdir) * 0.3 + 0.7;\n"
    "#endif\n"
    "#ifdef OCCLUDERS\n"
    KX_OCCLUDER_ARRAY
    "    for (int i = 0; i < OCCLUDERS; i++) {\n"
    "        vec3 rpos = occ[i].xyz - globalpos;\n"
    "        float w = occ[i].w;\n"
    "        float len = max(length(rpos), 1e-6);\n"
    "        float bl = dot(rpos, lightdir) / len * 0.5 + 0.5;\n"
    "#ifdef BUMP\n"
    "        float nr = dot(bn, vec3(dot(rpos, t), dot(rpos, b), dot(rpos, n)));\n"
    "#else\n"
    "        float nr = dot(n, rpos);\n"
    "#endif\n"
    "#ifdef SOFT_AO\n"
    "        float d = (max(nr + w, 0.0) + max(nr - w, 0.0)) * 0.5;\n"
    "        float k = 1.0 / (len + w);\n"
    "        f -= max(bl * d * k * k * k * w * w * 3.0 - 0.005, 0.0);\n"
    "#else\n"
    "        float d = nr + w;\n"
    "        float k = 1.0 / (len + 0.6 * w);\n"
    "        f -= max(bl * d * k * k * k * w * w * 0.9 - 0.005, 0.0);\n"
    "#endif\n"
    "    }\n"
    "#endif\n"
    "    vec4 c = vec4(colour.rgb * f, colour.a);\n"
    "#if defined(BUMP)\n"
    "    if (use_texture0 > 0)\n"
    "        c *= texture2D(texture0, gl_TexCoord[0].xy);\n"
    "#elif defined(TEXTURED)\n"
    "    c *= texture2D(texture0, gl_TexCoord[0].xy);\n"
    "#endif\n"
    "#ifdef SHINY\n"
    "    c.a = 1.0 - getFresnel(n, safe_normalize(globalpos - campos));\n"
    "#endif\n"
    "    gl_FragColor = c;\n"
    "}\n";

const char *const FS_SIMPLE =
    KX_GLSL_HELPERS
    "uniform vec3 lightdir;\n"
    "uniform vec2 lightfov;\n"
    "uniform sampler2D texture0;\n"
    "#ifdef SUN\n"
    "uniform vec3 lightdir_sun;\n"
    "uniform vec4 sun_color;\n"
    "uniform vec4 ambient_color;\n"
    "#endif\n"
    "varying vec3 normal;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "#ifdef TOP\n"
    "    gl_FragColor = colour * texture2D(texture0, gl_TexCoord[0].xy);\n"
    "#else\n"
    "    vec3 n = safe_normalize(normal);\n"
    "    float f = dot(n, lightdir) * lightfov.x + lightfov.y;\n"
    "#ifdef SUN\n"
    "    vec3 light = ambient_color.rgb * f + sun_color.rgb * max(dot(n, lightdir_sun), 0.0);\n"
    "#else\n"
    "    vec3 light = vec3(f);\n"
    "#endif\n"
    "    vec4 c = vec4(colour.rgb * light, colour.a);\n"
    "#ifdef TEXTURED\n"
    "    c.rgb *= texture2D(texture0, gl_TexCoord[0].xy).rgb;\n"
    "#endif\n"
    "    gl_FragColor = c;\n"
    "#endif\n"
    "}\n";

const char *const FS_GHOST =
    KX_GLSL_HELPERS
    "varying vec3 normal;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    float z = safe_normalize(gl_NormalMatrix * normal).z;\n"
    "    gl_FragColor = colour * z;\n"
    "}\n";

const char *const VS_GROUND =
    "varying vec3 globalpos;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    vec4 g = gl_TextureMatrix[0] * gl_Vertex;\n"
    "    globalpos = g.xyz;\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * g;\n"
    "    colour = gl_Color;\n"
    "}\n";

const char *const FS_GROUND =
    "#ifdef OCCLUDERS\n"
    KX_OCCLUDER_UNIFORMS
    "#endif\n"
    "varying vec3 globalpos;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "#ifdef OCCLUDERS\n"
    KX_OCCLUDER_ARRAY
    "    vec3 l = normalize(vec3(0.0, 0.701, 0.701));\n"
    "    float f = 1.0;\n"
    "    for (int i = 0; i < OCCLUDERS; i++) {\n"
    "        vec3 rpos = occ[i].xyz - globalpos;\n"
    "        float w = occ[i].w;\n"
    "        float len = max(length(rpos), 1e-6);\n"
    "        float bl = dot(rpos, l) / len * 0.5 + 0.5;\n"
    "        float d = rpos.z + w;\n"
    "        float k = 1.0 / (len + w);\n"
    "        f -= max(bl * d * k * k * k * w * w * 1.3, 0.0);\n"
    "    }\n"
    "    gl_FragColor = vec4(0.0, 0.0, 0.0, clamp(1.0 - f, 0.0, 1.0));\n"
    "#else\n"
    "    gl_FragColor = vec4(0.0);\n"
    "#endif\n"
    "}\n";

const char *const VS_COPY =
    "varying vec4 clip;\n"
    "varying vec3 eyepos;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
    "    clip = gl_Position;\n"
    "    eyepos = (gl_ModelViewMatrix * gl_Vertex).xyz;\n"
    "    colour = gl_Color;\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";

// fogcolor.w is the fog weight (negative): exp(distance x weight).
const char *const FS_COPY =
    "uniform sampler2D texture0;\n"
    "uniform vec4 backgroundcolor;\n"
    "uniform vec4 fogcolor;\n"
    "varying vec4 clip;\n"
    "varying vec3 eyepos;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    vec2 screen = (clip.xy / clip.w + 1.0) * 0.5;\n"
    "    vec4 texel = texture2D(texture0, screen);\n"
    "    float fog = clamp(exp(length(eyepos) * fogcolor.w), 0.0, 1.0);\n"
    "    vec4 c = (1.0 - texel.a) * colour * fog + vec4(fogcolor.rgb, 0.0) * (1.0 - fog) + backgroundcolor;\n"
    "    c.a = fog * backgroundcolor.a;\n"
    "    gl_FragColor = c;\n"
    "}\n";

const char *const VS_STAIN =
    "varying vec3 lpos;\n"
    "varying vec3 vel;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = vec4(gl_Vertex.xy, 1.0, 1.0);\n"
    "    lpos = gl_MultiTexCoord0.xyz;\n"
    "    vel = gl_MultiTexCoord1.xyz;\n"
    "}\n";

const char *const FS_STAIN =
    "varying vec3 lpos;\n"
    "varying vec3 vel;\n"
    "float splat(vec2 p)\n"
    "{\n"
    "    float side = length(cross(vec3(p, 0.0), vel));\n"
    "    float len2 = dot(p, p) + side * side;\n"
    "    return (1.0 / (len2 + 0.1) - 1.0 / 1.1) * 0.03;\n"
    "}\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(splat(lpos.xy), splat(lpos.xy + vec2(lpos.z)), 0.0, 0.0);\n"
    "}\n";

const char *const FS_STAINCOPY =
    "uniform sampler2D texture0;\n"
    "varying vec4 colour;\n"
    "float away_from_zero(float x) { return abs(x) < 1e-3 ? (x < 0.0 ? -1e-3 : 1e-3) : x; }\n"
    "void main()\n"
    "{\n"
    "    vec2 vals = texture2D(texture0, gl_TexCoord[0].xy).xy * 8.0;\n"
    "    if (vals.x - 0.2 < 0.0)\n"
    "        discard;\n"
    "    float delta = 1.0 / away_from_zero(vals.y - 0.01) - 1.0 / away_from_zero(vals.x - 0.01);\n"
    "    vec4 c = colour * (delta * 0.3 + 0.7) * 1.3;\n"
    "    c.a = (vals.x - 0.2) * 12.0;\n"
    "    gl_FragColor = clamp(c, 0.0, 1.0);\n"
    "}\n";

// What the blood vertex stage hands the fragment stage: the drop and its
// linked drops in camera space, the quad corner, the drop's velocity and
// its colour.
#define KX_BLOOD_VARYINGS                                                   \
    "varying vec4 cpos0;\n"                                                 \
    "varying vec4 cpos1;\n"                                                 \
    "varying vec4 cpos2;\n"                                                 \
    "varying vec4 cpos3;\n"                                                 \
    "varying vec3 corner;\n"                                                \
    "varying vec2 vel;\n"                                                   \
    "varying vec4 colour;\n"

// A blood drop: a quad around its camera-space centre, with up to three
// linked drops (texture coordinates 1 to 3) that merge into one fluid.
const char *const VS_BLOOD =
    "uniform float move;\n"
    KX_BLOOD_VARYINGS
    "void main()\n"
    "{\n"
    "    cpos0 = vec4((gl_ModelViewMatrix * vec4(gl_Vertex.xyz, 1.0)).xyz, gl_MultiTexCoord0.w);\n"
    "    corner = cpos0.xyz + gl_Normal;\n"
    "    cpos1 = vec4((gl_ModelViewMatrix * vec4(gl_MultiTexCoord1.xyz, 1.0)).xyz, gl_MultiTexCoord1.w);\n"
    "    cpos2 = vec4((gl_ModelViewMatrix * vec4(gl_MultiTexCoord2.xyz, 1.0)).xyz, gl_MultiTexCoord2.w);\n"
    "    cpos3 = vec4((gl_ModelViewMatrix * vec4(gl_MultiTexCoord3.xyz, 1.0)).xyz, gl_MultiTexCoord3.w);\n"
    "    vec3 v = gl_NormalMatrix * gl_MultiTexCoord0.xyz * -0.4;\n"
    "    vel = v.xy;\n"
    "    float far = length(corner);\n"
    "    colour = vec4(gl_Color.rgb, far > 0.0 && cpos0.w / far < 0.002 ? 0.0 : 1.0);\n"
    "    gl_Position = gl_ProjectionMatrix * vec4(corner - v * move, 1.0);\n"
    "}\n";

const char *const FS_BLOOD =
    "uniform vec4 lightdir;\n"
    "uniform vec4 mirrorcolor;\n"
    KX_BLOOD_VARYINGS
    "float field(vec3 at, vec4 cp, float dz)\n"
    "{\n"
    "    float sqw = cp.w * cp.w;\n"
    "    vec2 sd = vel * cp.w;\n"
    "    vec3 proj = at * dz - cp.xyz;\n"
    "    vec2 rel = proj.xy - sd * 0.7;\n"
    "    float lsd = max(length(sd), 1e-6);\n"
    "    vec2 s = vec2(dot(sd, rel) / max(length(vel), 1e-6), sd.x * rel.y - sd.y * rel.x) / lsd;\n"
    "    s.y = s.y * (s.x + 0.2) * 10.0;\n"
    "    float a = length(proj.xy + sd * 0.3);\n"
    "    float t = max(0.1 * sqw, 1e-12);\n"
    "    return (sqw / (a * a + t) * 1.2 + sqw / (dot(s, s) + t)) * 0.13;\n"
    "}\n"
    "float depth_ratio(vec4 cp) { return abs(cpos0.z) > 1e-6 ? cp.z / cpos0.z : 1.0; }\n"
    "float fluid(vec3 at)\n"
    "{\n"
    "    float val = field(at, cpos0, 1.0);\n"
    "#if SPHERES > 1\n"
    "    val += field(at, cpos1, depth_ratio(cpos1));\n"
    "    val += field(at, cpos2, depth_ratio(cpos2));\n"
    "    val += field(at, cpos3, depth_ratio(cpos3));\n"
    "#endif\n"
    "    return val;\n"
    "}\n"
    "void main()\n"
    "{\n"
    "    float val = fluid(corner);\n"
    "    if (val < 0.2)\n"
    "        discard;\n"
    "    vec2 l = lightdir.xy;\n"
    "    float ll = length(l);\n"
    "    vec2 shift = ll > 0.0 ? l / ll * 0.001 : vec2(0.0);\n"
    "    float val2 = fluid(corner + vec3(shift, 0.0));\n"
    "    float d2 = val2 - 0.1;\n"
    "    float delta = 1.0 / (abs(d2) < 1e-3 ? 1e-3 : d2) - 1.0 / (val - 0.1);\n"
    "    vec4 c = colour * (delta * 0.4 + 0.7) * 1.3 * mirrorcolor;\n"
    "    c.a = mirrorcolor.a * colour.a;\n"
    "    gl_FragColor = clamp(c, 0.0, 1.0);\n"
    "}\n";

const char *const VS_SHADOW =
    KX_GLSL_HELPERS
    "uniform vec4 konstant;\n"
    "uniform vec3 vlightdir;\n"
    "#ifdef FLOOR\n"
    "varying vec3 eyepos;\n"
    "varying vec4 colour;\n"
    "#endif\n"
    "void main()\n"
    "{\n"
    "    vec4 local = gl_Vertex;\n"
    "    local.z += local.z < 0.0 ? -konstant.x : konstant.x;\n"
    "    vec4 g = gl_TextureMatrix[0] * local;\n"
    "    vec3 n = safe_normalize((gl_TextureMatrix[0] * vec4(gl_Normal, 0.0)).xyz);\n"
    "    vec3 l = vlightdir;\n"
    "    if (g.z < 0.0)\n"
    "        l.z = -l.z;\n"
    "#ifdef FLOOR\n"
    "    bool onto_floor = true;\n"
    "#else\n"
    "    bool onto_floor = dot(n, l) > 0.0;\n"
    "#endif\n"
    // A light along the floor never reaches it: the vertex stays.
    "    if (onto_floor && abs(l.z) > 1e-6)\n"
    "        g.xyz -= l * (g.z / l.z);\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * g;\n"
    "#ifdef FLOOR\n"
    "    eyepos = (gl_ModelViewMatrix * g).xyz;\n"
    "    colour = gl_Color;\n"
    "#endif\n"
    "}\n";

const char *const FS_SHADOW =
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(0.0);\n"
    "}\n";

const char *const FS_SHADOW_FLOOR =
    "uniform vec4 fogcolor;\n"
    "varying vec3 eyepos;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    float fog = clamp(exp(length(eyepos) * fogcolor.w), 0.0, 1.0);\n"
    "    gl_FragColor = vec4(colour.rgb * fog + fogcolor.rgb * (1.0 - fog), colour.a);\n"
    "}\n";

const char *const VS_SCREEN =
    "void main()\n"
    "{\n"
    "    gl_Position = gl_Vertex;\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";

const char *const FS_COMBINE =
    "uniform sampler2D s0, s1, s2, s3, s4, s5, s6, s7;\n"
    "void main()\n"
    "{\n"
    "    vec2 uv = gl_TexCoord[0].xy;\n"
    "    vec4 t[8] = vec4[8](texture2D(s0, uv), texture2D(s1, uv), texture2D(s2, uv), texture2D(s3, uv),\n"
    "                        texture2D(s4, uv), texture2D(s5, uv), texture2D(s6, uv), texture2D(s7, uv));\n"
    "    vec3 sum = vec3(0.0);\n"
    "    float a = 0.0;\n"
    "    for (int i = 0; i < 8; i++) {\n"
    "        sum += t[i].rgb * float(8 - i);\n"
    "        a = max(a, t[i].a);\n"
    "    }\n"
    "    gl_FragColor = vec4(sum / 36.0, a);\n"
    "}\n";

const char *const FS_SMOOTH =
    "uniform sampler2D s0;\n"
    "void main()\n"
    "{\n"
    "    vec2 uv = gl_TexCoord[0].xy;\n"
    "    gl_FragColor = (texture2D(s0, uv + vec2(0.004, 0.004)) + texture2D(s0, uv + vec2(-0.004, 0.004)) +\n"
    "                    texture2D(s0, uv + vec2(0.004, -0.004)) + texture2D(s0, uv + vec2(-0.004, -0.004))) * 0.25;\n"
    "}\n";

const char *const FS_FINAL =
    "uniform sampler2D s0;\n"
    "uniform sampler2D s2;\n"
    "void main()\n"
    "{\n"
    "    vec4 sharp = texture2D(s2, gl_TexCoord[0].xy);\n"
    "    vec4 soft = texture2D(s0, gl_TexCoord[0].xy);\n"
    "    vec4 c = sharp + (soft - sharp) * soft.a * soft.a;\n"
    "    c.a = soft.a * 2.0;\n"
    "    gl_FragColor = c;\n"
    "}\n";

const char *const FS_BUMPMAP =
    "uniform vec2 step;\n"
    "uniform vec4 param;\n"
    "uniform sampler2D texture0;\n"
    "float lum(float ds, float dt)\n"
    "{\n"
    "    vec3 c = texture2D(texture0, gl_TexCoord[0].xy + vec2(ds * step.x, dt * step.y)).rgb;\n"
    "    return 255.0 * (0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b) + 0.5;\n"
    "}\n"
    "void main()\n"
    "{\n"
    "    float nx = lum(-1.0, -1.0) + lum(0.0, -1.0) + lum(1.0, -1.0) - lum(-1.0, 1.0) - lum(0.0, 1.0) - lum(1.0, 1.0);\n"
    "    float ny = lum(1.0, -1.0) + lum(1.0, 0.0) + lum(1.0, 1.0) - lum(-1.0, -1.0) - lum(-1.0, 0.0) - lum(-1.0, 1.0);\n"
    "    float q = nx * nx + ny * ny + param.z;\n"
    "    float shade = q > 0.0 ? (nx * param.x + ny * param.y + param.w) / sqrt(q) : 0.0;\n"
    "    gl_FragColor = vec4(texture2D(texture0, gl_TexCoord[0].xy).rgb * shade / 255.0, 1.0);\n"
    "}\n";

const char *const FS_DEPTHFILTER =
    "uniform sampler2D texture0;\n"
    "uniform sampler2D depth_tex;\n"
    "uniform float focus_depth;\n"
    "uniform float fstop;\n"
    "void main()\n"
    "{\n"
    "    float depth = texture2D(depth_tex, gl_TexCoord[0].xy).r;\n"
    "    gl_FragColor = vec4(texture2D(texture0, gl_TexCoord[0].xy).rgb, abs(focus_depth - depth) * fstop);\n"
    "}\n";

const char *const FS_GAUSSIAN =
    "uniform sampler2D texture0;\n"
    "uniform vec2 WinCoord;\n"
    "uniform float FilterSwitch;\n"
    "void main()\n"
    "{\n"
    "    vec2 uv = gl_TexCoord[0].xy;\n"
    "    vec2 st = vec2(WinCoord.x > 0.0 ? 1.0 / WinCoord.x : 0.0, WinCoord.y > 0.0 ? 1.0 / WinCoord.y : 0.0);\n"
    "    vec4 centre = texture2D(texture0, uv);\n"
    "    vec4 sum = vec4(0.0, 0.0, 0.0, (1.0 - FilterSwitch) * centre.a);\n"
    "    for (int i = -1; i <= 1; i++)\n"
    "        for (int j = -1; j <= 1; j++) {\n"
    "            float weight = float((2 - i * i) * (2 - j * j)) / 16.0;\n"
    "            vec4 tap = texture2D(texture0, uv + vec2(float(i), float(j)) * st);\n"
    "            if (FilterSwitch == 1.0)\n"
    "                sum += min(tap.a, centre.a) * tap * weight;\n"
    "            else\n"
    "                sum.rgb += tap.rgb * weight;\n"
    "        }\n"
    "    gl_FragColor = sum;\n"
    "}\n";

const char *const FS_ANAGLYPH =
    "uniform sampler2D texture0;\n"
    "uniform sampler2D texture1;\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(texture2D(texture0, gl_TexCoord[0].xy).r, 0.0, texture2D(texture1, gl_TexCoord[0].xy).b, 1.0);\n"
    "}\n";

const char *const FS_TEXTURE =
    "uniform sampler2D texture0;\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = texture2D(texture0, gl_TexCoord[0].xy);\n"
    "}\n";

const char *const RAYTRACE_LIBRARY =
    "uniform sampler2D skytexture;\n"
    "uniform vec4 floorcolor;\n"
    "uniform vec4 fogcolor;\n"
    "uniform vec4 primcounts;\n"
    "uniform vec4 startcursor;\n"
    "vec3 finalcolor = vec3(0.0);\n"
    "vec3 colormul = vec3(1.0);\n"
    "vec3 matcolor = vec3(0.7, 0.0, 1.0);\n"
    "vec3 rt_normalize(vec3 v) { float l = length(v); return l > 0.0 ? v / l : v; }\n"
    // The sky seen along dir from p, or the fogged floor where the ray
    // goes down to it.
    "vec3 background(vec3 p, vec3 dir)\n"
    "{\n"
    "    float rz = abs(dir.z);\n"
    "    vec3 c = texture2D(skytexture, dir.xy * (1.0 - rz) * 0.5 + 0.5).rgb * 2.0;\n"
    "    if (dir.z < 0.0) {\n"
    "        vec3 hit = p - dir * (p.z / dir.z);\n"
    "        float fog = clamp(exp(length(hit - p) * fogcolor.w), 0.0, 1.0);\n"
    "        c = floorcolor.rgb * fog + fogcolor.rgb * (1.0 - fog);\n"
    "    }\n"
    "    return c;\n"
    "}\n"
    "float getFresnel(vec3 n, vec3 d)\n"
    "{\n"
    "    float c = clamp(1.0 + dot(n, d), 0.0, 1.0);\n"
    "    return 0.10 + 0.9 * c * c * c * c;\n"
    "}\n"
    "void colorfunc(vec3 n, vec3 d)\n"
    "{\n"
    "    float fr = getFresnel(n, d);\n"
    "    finalcolor += colormul * matcolor * (n.z * 0.5 + 0.5) * (1.0 - fr);\n"
    "    colormul *= fr;\n"
    "}\n";

const char *const VS_SKY =
    "varying vec3 raydir;\n"
    "varying vec3 campos;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);\n"
    "    vec4 eye = gl_ProjectionMatrixInverse * vec4(gl_Vertex.xy, 1.0, 1.0);\n"
    "    raydir = eye.xyz * gl_NormalMatrix;\n"
    "    campos = (gl_ModelViewMatrix * vec4(0.0, 0.0, 0.0, -1.0)).xyz * gl_NormalMatrix;\n"
    "}\n";

const char *const FS_SKY =
    "varying vec3 raydir;\n"
    "varying vec3 campos;\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(background(campos, rt_normalize(raydir)), 1.0);\n"
    "}\n";

// The batched scene (world-space vertices) drawn as its mirror image on a
// sphere or capsule reflector: each vertex moves to the point of the
// reflector where the camera sees it mirrored.
const char *const VS_REFLECTION =
    KX_GLSL_HELPERS
    "uniform vec4 reflectorsphere;\n"
    "uniform vec4 globalcolor;\n"
    "#ifdef CAPSULE\n"
    "uniform vec4 capsule;\n"
    "#endif\n"
    KX_REFLECTION_VARYINGS
    // Solves for the point on the unit sphere between pa and pb where the
    // two rays meet at equal angles (a few Newton steps on lv).
    "vec3 sphere_bounce(vec3 pa, vec3 pb, int steps, out float lvout)\n"
    "{\n"
    "    float da = length(pa) - 0.71, db = length(pb) - 0.71;\n"
    "    float lv = abs(da + db) > 1e-6 ? da / (da + db) : 0.5;\n"
    "    vec3 ab = pb - pa;\n"
    "    for (int i = 0; i < 4; i++) {\n"
    "        if (i >= steps)\n"
    "            break;\n"
    "        vec3 res = ab * lv + pa;\n"
    "        float k = 1.0 / max(length(res), 1e-6);\n"
    "        res *= k;\n"
    "        float e = length(res - pb), f = length(res - pa);\n"
    "        float d = max(e + f, 1e-6);\n"
    "        float func = f / d - lv;\n"
    "        float a = k * dot(ab, safe_normalize(res - pa));\n"
    "        float g = k * dot(ab, safe_normalize(res - pb));\n"
    "        float deriv = 1.0 - (a * d - f * (a + g)) / (d * d);\n"
    "        lv += func / (abs(deriv) > 1e-6 ? deriv : 1e-6);\n"
    "    }\n"
    "    lvout = lv;\n"
    "    return safe_normalize(ab * lv + pa);\n"
    "}\n"
    "float bounce_weight(vec3 pa, vec3 pb)\n"
    "{\n"
    "    float lb = length(pb);\n"
    "    vec3 ab = pb - pa;\n"
    "    float lab = length(ab);\n"
    "    if (lb < 2.0)\n"
    "        return 0.0;\n"
    "    if (lab > 0.0 && length(cross(ab, pa)) / lab < 1.0 && lab > length(pa))\n"
    "        return 0.0;\n"
    "    return 1.0 - 1.0 / (1.0 + lb);\n"
    "}\n"
    "void main()\n"
    "{\n"
    "    vec3 cam = (gl_ModelViewMatrix * vec4(0.0, 0.0, 0.0, -1.0)).xyz * gl_NormalMatrix;\n"
    "    vec3 centre = reflectorsphere.xyz;\n"
    "    float radius = max(reflectorsphere.w, 1e-6);\n"
    "    vec3 pa = (cam - centre) / radius;\n"
    "    vec3 pb = (gl_Vertex.xyz - centre) / radius;\n"
    "    float lv;\n"
    "#ifdef CAPSULE\n"
    "    vec3 axis = safe_normalize(capsule.xyz);\n"
    "    float half_len = capsule.w;\n"
    "    float ha = dot(pa, axis), hb = dot(pb, axis);\n"
    "    vec3 qa = pa - axis * ha, qb = pb - axis * hb;\n"
    "    vec3 res = sphere_bounce(qa, qb, 2, lv);\n"
    "    float h = ha + (hb - ha) * lv;\n"
    "    float z = bounce_weight(qa, qb);\n"
    "    if (abs(h) > half_len) {\n"
    // Beyond the straight part the ends are spheres.
    "        vec3 end = axis * (h > 0.0 ? half_len : -half_len);\n"
    "        res = sphere_bounce(pa - end, pb - end, 4, lv) + end;\n"
    "        z = bounce_weight(pa - end, pb - end);\n"
    "    } else {\n"
    "        res += axis * h;\n"
    "    }\n"
    "#else\n"
    "    vec3 res = sphere_bounce(pa, pb, 4, lv);\n"
    "    float z = bounce_weight(pa, pb);\n"
    "#endif\n"
    "    vec3 drawn = cam + (res * radius + centre - cam) * z;\n"
    "    globalpos = drawn;\n"
    "    raydir = gl_Vertex.xyz - drawn;\n"
    "    normal = gl_Normal;\n"
    "    colour = gl_Color;\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * vec4(drawn, 1.0);\n"
    "}\n";

const char *const FS_REFLECTION =
    KX_REFLECTION_VARYINGS
    "void main()\n"
    "{\n"
    "    vec3 n = rt_normalize(normal);\n"
    "    vec3 d = rt_normalize(raydir);\n"
    "    matcolor = colour.rgb;\n"
    "    colorfunc(n, d);\n"
    "    finalcolor += colormul * background(globalpos, reflect(d, n));\n"
    "    gl_FragColor = vec4(finalcolor, 1.0);\n"
    "}\n";

const char *const FS_REFBACKGROUND =
    KX_OBJECT_VARYINGS
    "void main()\n"
    "{\n"
    "    vec3 n = rt_normalize(normal);\n"
    "    vec3 d = rt_normalize(globalpos - campos);\n"
    "    gl_FragColor = vec4(background(globalpos, reflect(d, n)), 1.0);\n"
    "}\n";

// The batch bodies: the view ray reflected at the surface, tested against
// the first ocount objects; the nearest hit is shaded and reflected once
// more into the background. No hit: the fragment is discarded.
#define KX_RAY_START                                                        \
    KX_OBJECT_VARYINGS                                                      \
    "void shade_hit(vec3 raypos, vec3 raydir, float best, vec3 hitn, vec3 hitc)\n" \
    "{\n"                                                                   \
    "    matcolor = hitc;\n"                                                \
    "    colorfunc(hitn, raydir);\n"                                        \
    "    vec3 p = raypos + raydir * best;\n"                                \
    "    finalcolor += colormul * background(p, reflect(raydir, hitn));\n"  \
    "    gl_FragColor = vec4(finalcolor, 1.0);\n"                           \
    "    gl_FragDepth = (1.0 - 0.1 / (best + 0.1)) * 0.1;\n"                \
    "}\n"

// The ray each batch program traces: from the surface point, the eye's ray
// mirrored in the surface normal; no hit found yet.
#define KX_RAY_AIM                                                          \
    "    vec3 n = rt_normalize(normal);\n"                                  \
    "    vec3 raypos = globalpos;\n"                                        \
    "    vec3 raydir = reflect(rt_normalize(globalpos - campos), n);\n"     \
    "    float best = 1e35;\n"                                              \
    "    vec3 hitn = vec3(0.0), hitc = vec3(0.0);\n"

// The end of a batch program's main: the nearest hit shaded, or nothing.
#define KX_RAY_FINISH                                                       \
    "    if (best >= 1e35)\n"                                               \
    "        discard;\n"                                                    \
    "    shade_hit(raypos, raydir, best, hitn, hitc);\n"                    \
    "}\n"

const char *const FS_RAYTRACE_SPHERES =
    KX_RAY_START
    "uniform vec4 s0, s1, s2, s3, s4, s5;\n"
    "uniform vec4 c0, c1, c2, c3, c4, c5;\n"
    "void main()\n"
    "{\n"
    "    vec4 S[6] = vec4[6](s0, s1, s2, s3, s4, s5);\n"
    "    vec4 C[6] = vec4[6](c0, c1, c2, c3, c4, c5);\n"
    KX_RAY_AIM
    "    for (int i = 0; i < ocount; i++) {\n"
    "        vec3 rel = S[i].xyz - raypos;\n"
    "        float r = S[i].w;\n"
    "        float q = length(cross(rel, raydir));\n"
    "        if (q < r) {\n"
    "            float dist = dot(rel, raydir) - sqrt(r * r - q * q);\n"
    "            if (dist > 0.0 && dist < best) {\n"
    "                best = dist;\n"
    "                hitn = rt_normalize(raypos + raydir * dist - S[i].xyz);\n"
    "                hitc = C[i].rgb;\n"
    "            }\n"
    "        }\n"
    "    }\n"
    KX_RAY_FINISH;

const char *const FS_RAYTRACE_CYLINDERS =
    KX_RAY_START
    "uniform vec4 s0, s1, s2, s3;\n"
    "uniform vec4 a0, a1, a2, a3;\n"
    "uniform vec4 c0, c1, c2, c3;\n"
    "void main()\n"
    "{\n"
    "    vec4 S[4] = vec4[4](s0, s1, s2, s3);\n"
    "    vec4 A[4] = vec4[4](a0, a1, a2, a3);\n"
    "    vec4 C[4] = vec4[4](c0, c1, c2, c3);\n"
    KX_RAY_AIM
    "    for (int i = 0; i < ocount; i++) {\n"
    "        vec3 axis = A[i].xyz;\n"
    "        vec3 rel = S[i].xyz - raypos;\n"
    "        rel -= axis * dot(rel, axis);\n"
    "        vec3 m = raydir - axis * dot(raydir, axis);\n"
    "        float lm = length(m);\n"
    "        if (lm < 1e-6)\n"
    "            continue;\n"
    "        vec3 mn = m / lm;\n"
    "        float r = S[i].w;\n"
    "        float q = length(cross(rel, mn));\n"
    "        if (q < r) {\n"
    "            float dist = (dot(rel, mn) - sqrt(r * r - q * q)) / lm;\n"
    "            vec3 hit = raypos + raydir * dist;\n"
    "            if (dist > 0.0 && dist < best && abs(dot(hit - S[i].xyz, axis)) < A[i].w) {\n"
    "                best = dist;\n"
    "                hitn = rt_normalize(m * dist - rel);\n"
    "                hitc = C[i].rgb;\n"
    "            }\n"
    "        }\n"
    "    }\n"
    KX_RAY_FINISH;

// Box j: colour, bounding sphere, then six planes (unit normal, offset).
const char *const FS_RAYTRACE_BOXES =
    KX_RAY_START
    "uniform vec4 sa, sb, sc, sd, se, sf, sg, sh;\n"
    "uniform vec4 si, sj, sk, sl, sm, sn, so, sp;\n"
    "void main()\n"
    "{\n"
    "    vec4 B[16] = vec4[16](sa, sb, sc, sd, se, sf, sg, sh, si, sj, sk, sl, sm, sn, so, sp);\n"
    KX_RAY_AIM
    "    for (int j = 0; j < ocount; j++) {\n"
    "        vec4 bound = B[j * 8 + 1];\n"
    "        if (length(cross(bound.xyz - raypos, raydir)) >= bound.w)\n"
    "            continue;\n"
    "        float entry = -1e35, exit_t = 1e35;\n"
    "        vec3 entryn = vec3(0.0);\n"
    "        for (int m = 0; m < 6; m++) {\n"
    "            vec4 plane = B[j * 8 + 2 + m];\n"
    "            float along = dot(plane.xyz, raydir);\n"
    "            float side = dot(plane.xyz, raypos) - plane.w;\n"
    "            if (abs(along) < 1e-8) {\n"
    "                if (side > 0.0)\n"
    "                    exit_t = -1e35;   // outside a slab it runs along\n"
    "                continue;\n"
    "            }\n"
    "            float t = -side / along;\n"
    "            if (along > 0.0) {\n"
    "                exit_t = min(exit_t, t);\n"
    "            } else if (t > entry) {\n"
    "                entry = t;\n"
    "                entryn = plane.xyz;\n"
    "            }\n"
    "        }\n"
    "        if (exit_t > entry && entry > 0.0 && entry < best) {\n"
    "            best = entry;\n"
    "            hitn = entryn;\n"
    "            hitc = B[j * 8].rgb;\n"
    "        }\n"
    "    }\n"
    KX_RAY_FINISH;

const char *const FS_FUR =
    "uniform sampler2D texture0;\n"
    "varying vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    vec4 texel = texture2D(texture0, gl_TexCoord[0].xy);\n"
    "    gl_FragColor = vec4(texel.rgb * colour.rgb, texel.a);\n"
    "}\n";
