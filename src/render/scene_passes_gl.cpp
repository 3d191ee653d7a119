#include <GL/glew.h>

#include "render/scene_passes_gl.h"

#include <initializer_list>
#include <chrono>
#include <cmath>
#include <vector>

#include "app/base/options.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "render/particles_draw_gl.h"
#include "render/blood_vertices.h"
#include "render/fighter_draw_gl.h"
#include "render/graphics_gl.h"
#include "render/markers_gl.h"
#include "render/object_program_choice.h"
#include "render/shader_programs_gl.h"
#include "render/raytraced_passes_gl.h"
#include "render/render_queues.h"
#include "render/scene_gl_state_gl.h"
#include "render/scene_links_gl.h"
#include "render/shader_table.h"
#include "render/sky_gl.h"
#include "render/world_shader.h"

namespace {

const float k_identity9[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const float k_origin[3] = {0, 0, 0};
const GLfloat k_mirror[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};

std::vector<BloodVertex> g_blood;   // grows with the queue, kept between frames
bool g_timing;
double g_times[PASS_COUNT];

double now_ms(void)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}


const float *ws(int id) { return world_shader_value(id); }

// The fog uniform's value, (background, weight).
const float *fog_value_now(void)
{
    static float fog[4];
    world_fog_value(fog);
    return fog;
}

// How high the sun stands: the z of its unit direction (0 without a sun).
float sun_height_factor_now(void)
{
    const float *s = ws(WS_SUN_LIGHT_DIR);
    const float len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    return len > 0 ? s[2] / len : 0;
}

bool opaque_record(const DrawRecord *r) { return !r->translucent && r->mode != 2; }

void object_transform(const DrawRecord *r) { load_object_texture_matrix(r->scaled, r->pos); }

void konstant(const DrawRecord *r, float z) { set_uniform_4f("konstant", r->konstant, 0, z, 0); }

void unbind_all_arrays(void)
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

unsigned slot_program(int slot)
{
    const ActivePrograms &ap = active_programs();
    switch (slot) {
    case OBJ_PROG_DIFFTEX: return ap.difftex;
    case OBJ_PROG_TCGEN: return ap.tcgen;
    case OBJ_PROG_BUMP: return ap.bump;
    case OBJ_PROG_TCGEN_BUMP: return ap.tcgen_bump;
    case OBJ_PROG_REFBACKGROUND: return shader_row_handle(SH_REFBACKGROUND);
    default: return ap.diff;
    }
}

// Binds the textures of a choice's material (not the sky of the ray-traced
// background) and sets the bump uniforms of the program in use.
void bind_material_textures(const ObjectProgramChoice &c)
{
    if (c.unit0)
        bind_texture_unit(0, c.unit0);
    if (c.bump_uniforms) {
        set_uniform_1i("texture1", 0);
        set_uniform_1i("texture0", 1);
        set_uniform_1i("use_texture0", c.use_texture0);
        if (c.unit1)
            bind_texture_unit(1, c.unit1);
        glActiveTexture(GL_TEXTURE0);
    }
}

} // namespace

// The record's program made current with its textures and per-object
// uniforms; the material program (its mirror image's) through material.
static unsigned choose_object_program(const DrawRecord *r, unsigned *material, ObjectProgramChoice *c)
{
    choose_object_program_plan(r, option_get(OPT_BUMPMAPPING), option_get(OPT_RAYTRACING), c);
    *material = slot_program(c->material);
    use_program(*material);
    bind_material_textures(*c);
    unsigned program = slot_program(c->program);
    if (c->sky_on_unit0 && program) {
        bind_texture_unit(0, sky_texture());
        use_program(program);
        set_uniform_4fv("fogcolor", fog_value_now());
        float floor[4];
        world_floor_lit_color(floor);
        set_uniform_4fv("floorcolor", floor);
    }
    use_program(program);
    if (c->rotmat)
        set_uniform_mat4_rows("rotmat", c->rotmat_rows);
    return program;
}

static void draw_sharp_shadows(bool numbered)
{
    const ActivePrograms &ap = active_programs();
    if (!ap.shadow)
        return;
    const bool mirror = option_get(OPT_REFLECTION) != 0;
    glDisable(GL_BLEND);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glDepthFunc(GL_LESS);
    use_program(ap.shadow);
    // Depth-pass volumes: faces towards the eye count up, faces away count
    // down. Wrapping counts keep the numbers of the ray-traced marks intact.
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if (!opaque_record(r))
            continue;
        konstant(r, 0);
        for (int pass = 0; pass < (mirror ? 2 : 1); pass++) {
            if (pass == 0)
                object_transform(r);
            else
                load_mirrored_texture_matrix(r->pos, r->scaled);
            const GLenum up_face = pass == 0 ? GL_CCW : GL_CW, down_face = pass == 0 ? GL_CW : GL_CCW;
            glFrontFace(up_face);
            glStencilOp(GL_INCR_WRAP, GL_KEEP, GL_INCR_WRAP);
            scene_mesh_draw(r->mesh[2], 1, 1);
            glFrontFace(down_face);
            glStencilOp(GL_DECR_WRAP, GL_KEEP, GL_DECR_WRAP);
            scene_mesh_draw(r->mesh[2], 1, 1);
        }
    }
    glFrontFace(GL_CCW);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glStencilFunc(GL_EQUAL, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    // Sunlight added where no volume covers the shape. On the ray-traced
    // path each shape's pixels hold its number, else they hold 0.
    draw_queue_pass(ap.simp, ap.simptex, 0, QUEUE_RULE_SUN, 0.0f, numbered);
    if (mirror) {
        glPushMatrix();
        glMultMatrixf(k_mirror);
        glFrontFace(GL_CW);
        draw_queue_pass(ap.simp, ap.simptex, 0, QUEUE_RULE_SUN_MIRROR, 0.0f, 0);
        glPopMatrix();
        glFrontFace(GL_CCW);
    }
    glDepthMask(GL_TRUE);
    glDisable(GL_STENCIL_TEST);
}

void draw_opaque_pass(void)
{
    const float *amb = ws(WS_AMBIENT_COLOR), *mirror = ws(WS_MIRROR_COLOR);
    const bool reflection = option_get(OPT_REFLECTION) != 0;
    const bool traced = option_get(OPT_RAYTRACING) && ray_objects_queued();
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    if (traced) {
        glEnable(GL_STENCIL_TEST);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    }
    int n = 0;
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if (!opaque_record(r))
            continue;
        const int number = n++ & 0xFF;
        unsigned material = 0;
        ObjectProgramChoice c;
        const unsigned program = choose_object_program(r, &material, &c);
        glDisable(GL_BLEND);
        glStencilFunc(GL_ALWAYS, number, 0xFF);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        object_transform(r);
        // The occlusion programs darken a shape by the occluders around it.
        const bool occlusion = option_get(OPT_AMBIENTOCCLUSION) != 0;
        if (program && occlusion)
            choose_occluders(program, r);
        if (program) {   // a shape without its program is not drawn
            konstant(r, 0);
            set_global_colour(r->colour[0] * amb[0], r->colour[1] * amb[1], r->colour[2] * amb[2], r->colour[3]);
            scene_mesh_draw(r->mesh[1], 0, 1);
        }
        if (reflection && material) {
            if (material != program) {
                use_program(material);
                bind_material_textures(c);   // the background's sky left unit 0
                if (c.rotmat)
                    set_uniform_mat4_rows("rotmat", c.rotmat_rows);
                if (occlusion)
                    choose_occluders(material, r);
            }
            glDisable(GL_ALPHA_TEST);
            konstant(r, -2);
            glFrontFace(GL_CW);
            set_global_colour(r->colour[0] * mirror[0] * amb[0], r->colour[1] * mirror[1] * amb[1],
                              r->colour[2] * mirror[2] * amb[2], r->colour[3] * mirror[3]);
            scene_mesh_draw(r->mesh[2], 0, 1);
            glFrontFace(GL_CCW);
            glEnable(GL_ALPHA_TEST);
        }
        if (r->kind & QUEUE_TEXTURED) {
            const LightingModel *lm = current_lighting_model();
            use_program(lm && lm->diff ? *lm->diff : active_programs().diff);
            glActiveTexture(GL_TEXTURE1);
            glDisable(GL_TEXTURE_2D);
            glActiveTexture(GL_TEXTURE0);
        }
        glDisable(GL_ALPHA_TEST);
    }
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_STENCIL_TEST);
    glDepthFunc(GL_LEQUAL);
    if (traced)
        draw_raytraced_passes();
    if (world_shader_flag(WS_SHARP_SHADOW))
        draw_sharp_shadows(traced);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    use_program(0);
    unbind_all_arrays();
}

void draw_queue_pass(unsigned program, unsigned textured_program, int translucent, int rule, float,
                     int numbering)
{
    if (!program)
        return;
    const float *sun = ws(WS_SUNSHINE_COLOR), *mirror = ws(WS_MIRROR_COLOR);
    use_program(program);
    int n = 0;
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if ((int)r->translucent != translucent || r->mode == 2)
            continue;
        const int number = n++ & 0xFF;
        bool textured = false;
        if (r->kind == QUEUE_TEXTURED && textured_program && r->colour_tex) {
            use_program(textured_program);
            bind_texture_unit(0, r->colour_tex);
            textured = true;
        }
        if (numbering)
            glStencilFunc(GL_EQUAL, number, 0xFF);
        konstant(r, 0);
        object_transform(r);
        const float *c = r->colour;
        switch (rule) {
        case QUEUE_RULE_SUN: set_global_colour(c[0] * sun[0], c[1] * sun[1], c[2] * sun[2], c[3]); break;
        case QUEUE_RULE_SUN_MIRROR:
            set_global_colour(c[0] * sun[0] * mirror[0], c[1] * sun[1] * mirror[1], c[2] * sun[2] * mirror[2], c[3]);
            break;
        case QUEUE_RULE_MIRROR:
            set_global_colour(c[0] * mirror[0] * 6, c[1] * mirror[1] * 6, c[2] * mirror[2] * 6, c[3] * 0.5f);
            break;
        default: set_global_colour(c[0], c[1], c[2], c[3]); break;
        }
        scene_mesh_draw(r->mesh[1], 0, 1);
        if (textured) {
            use_program(program);
            glDisable(GL_TEXTURE_2D);
        }
    }
    use_program(0);
    unbind_all_arrays();
}

// The soft shadows of the occluders on the floor, darkness in alpha, into
// the quarter-size target: the occluders a few at a time (as many as the
// ground program reads), their darkness summed.
static void draw_soft_shadows(void)
{
    const ActivePrograms &ap = active_programs();
    scene_target_bind(SCENE_TARGET_QUARTER);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!ap.ground)
        return;
    use_program(ap.ground);
    load_object_texture_matrix(k_identity9, k_origin);
    if (world_shader_flag(WS_SKY_ON)) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    const int per = ap.ground_occluders, count = occluder_count();
    if (per <= 0 || count == 0)
        return;
    for (int first = 0; first < count; first += per) {
        for (int i = 0; i < per; i++) {
            const char name[5] = {'o', 'c', 'c', (char)('a' + i), 0};
            const float *o = occluder_at(first + i);
            if (o)
                set_uniform_4fv(name, o);
            else
                set_uniform_4f(name, 0, 0, 0, 0);
        }
        glColor4f(1, 1, 1, 1);
        draw_ground_plane(k_origin);
    }
}

void draw_floor_pass(void)
{
    if (!shaders_active())
        return;
    const ActivePrograms &ap = active_programs();
    const float *floor = ws(WS_FLOOR_COLOR), *amb = ws(WS_AMBIENT_COLOR);
    const bool have_shadows = scene_target_ready(SCENE_TARGET_QUARTER) != 0;
    build_blood_vertices();
    unbind_all_arrays();
    if (have_shadows)
        draw_soft_shadows();
    use_program(0);
    glDisableClientState(GL_COLOR_ARRAY);
    scene_target_bind(SCENE_TARGET_WINDOW);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_BLEND);
    if (option_get(OPT_REFLECTION)) {
        // The floor lets the mirror images drawn before show through by its alpha.
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_SRC_ALPHA);
    }
    if (ap.copy) {
        use_program(ap.copy);
        set_uniform_4f("backgroundcolor", 0, 0, 0, 1);
        set_uniform_4fv("fogcolor", fog_value_now());
        set_uniform_1i("texture0", 0);
        bind_texture_unit(0, scene_soft_shadow_texture());
        if (world_shader_flag(WS_SHARP_SHADOW)) {
            float lit[4];
            world_floor_lit_color(lit);
            glColor4f(lit[0], lit[1], lit[2], floor[3]);
        } else {
            glColor4f(amb[0] * floor[0], amb[1] * floor[1], amb[2] * floor[2], floor[3]);
        }
        load_object_texture_matrix(k_identity9, k_origin);
        draw_ground_plane(k_origin);
    }
    run_timed_pass(PASS_STAINS, [] { draw_stain_pass(); });
    if (world_shader_flag(WS_SHARP_SHADOW) && ap.shadow_floor) {
        const float *sun = ws(WS_SUNSHINE_COLOR);
        const float s = sun_height_factor_now();
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_NOTEQUAL, 15, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);   // each floor pixel darkened once
        glColor4f(sun[0] * s * floor[0], sun[1] * s * floor[1], sun[2] * s * floor[2], floor[3]);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glBlendEquation(GL_FUNC_REVERSE_SUBTRACT);
        use_program(ap.shadow_floor);
        // The shadow takes back the sunlight the floor got, faded by the fog
        // as that light was: it fades to nothing, not to the fog's colour
        // (which, subtracted, would blacken distant shadows).
        set_uniform_4f("fogcolor", 0, 0, 0, fog_value_now()[3]);
        for (int i = 0; i < draw_queue_count(); i++) {
            const DrawRecord *r = draw_queue_record(i);
            if (!opaque_record(r))
                continue;
            konstant(r, 0);
            object_transform(r);
            scene_mesh_draw(r->mesh[2], 1, 4);
        }
        glDisable(GL_STENCIL_TEST);
        glBlendEquation(GL_FUNC_ADD);
        unbind_all_arrays();
    }
    use_program(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

static void blood_arrays(bool on)
{
    const BloodVertex *v = g_blood.data();
    const GLsizei stride = sizeof(BloodVertex);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (!on) {
        for (int unit = 0; unit < 8; unit++) {
            glClientActiveTexture(GL_TEXTURE0 + unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        glClientActiveTexture(GL_TEXTURE0);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, v->pos);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, v->corner);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, &v->colour);
    const float *sets[4] = {v->motion, v->prev, v->next, v->prev2};
    for (int unit = 0; unit < 4; unit++) {
        glClientActiveTexture(GL_TEXTURE0 + unit);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(4, GL_FLOAT, stride, sets[unit]);
    }
    glClientActiveTexture(GL_TEXTURE0);
}

// Draws the filled blood array with the program in use.
static void draw_blood_array(void)
{
    if (g_blood.empty())
        return;
    blood_arrays(true);
    glDrawArrays(GL_TRIANGLES, 0, (GLsizei)g_blood.size());
    blood_arrays(false);
}

void build_blood_vertices(void)
{
    const unsigned program = active_programs().blood;
    if (!option_get(OPT_FLUID) || blood_queue_count() == 0 || !program)
        return;
    glDisable(GL_LINE_SMOOTH);
    load_object_texture_matrix(k_identity9, k_origin);
    build_blood_vertex_data(g_blood);
    if (!option_get(OPT_REFLECTION))
        return;
    const float *m = ws(WS_MIRROR_COLOR);
    glPushMatrix();
    glMultMatrixf(k_mirror);
    use_program(program);
    set_uniform_4f("mirrorcolor", m[0], m[1], m[2], 1);
    glDepthMask(GL_FALSE);
    draw_blood_array();
    glDepthMask(GL_TRUE);
    glPopMatrix();
    use_program(0);
}

void draw_blood_pass(float motion)
{
    const unsigned program = active_programs().blood;
    if (!option_get(OPT_FLUID) || blood_queue_count() == 0 || !program)
        return;
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    use_program(program);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    const float k = 1 / std::sqrt(2.0f);
    float light[3];
    for (int i = 0; i < 3; i++)
        light[i] = mv[i] * k + mv[4 + i] * k;
    const float len = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
    for (float &c : light)
        c = len > 0 ? c / len : 0;
    set_uniform_1f("move", motion);
    set_uniform_4f("lightdir", light[0], light[1], light[2], motion);
    set_uniform_4f("mirrorcolor", 1, 1, 1, 0.5f);
    draw_blood_array();
    use_program(0);
    glFrontFace(GL_CCW);
    const float *bg = ws(WS_BACKGROUND_COLOR);
    glClearColor(bg[0], bg[1], bg[2], 0);
}

void draw_scene(void)
{
    if (!shaders_active())
        return;
    glDisable(GL_LIGHTING);
    reset_render_state();
    run_timed_pass(PASS_OPAQUE, [] { draw_opaque_pass(); });
    // The stains are timed inside the floor pass; take them out of it.
    const double stains_before = g_times[PASS_STAINS];
    run_timed_pass(PASS_FLOOR, [] { draw_floor_pass(); });
    g_times[PASS_FLOOR] -= g_times[PASS_STAINS] - stains_before;

    // The overlays draw with the fixed pipeline: no object transform in
    // the texture matrix for them.
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    draw_object_overlay(get_game_state());
    glEnable(GL_BLEND);
    // Where a fighter touched the ground (or was disqualified): a mark on
    // the floor, as the fixed path draws it.
    if (option_get(OPT_FLOORTEXTURE))
        draw_tracked_markers();
    reset_render_state();
    if (option_get(OPT_TRAILS))
        trails_draw();
    if (option_get(OPT_PARTICLES))
        flames_draw();

    run_timed_pass(PASS_REFLECTION, [] {
        glPushMatrix();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        glMultMatrixf(k_mirror);
        glFrontFace(GL_CW);
        if (option_get(OPT_REFLECTION))
            draw_queue_pass(active_programs().ghost, 0, 1, QUEUE_RULE_MIRROR, 0.0f, 0);
        glFrontFace(GL_CCW);
        glPopMatrix();
    });
    run_timed_pass(PASS_TRANSLUCENT, [] {
        reset_render_state();
        glDepthMask(GL_FALSE);
        draw_queue_pass(active_programs().ghost, 0, 1, QUEUE_RULE_COLOUR, 0.0f, 0);
        glDepthMask(GL_TRUE);
        glEnable(GL_DEPTH_TEST);
    });
    run_timed_pass(PASS_BLOOD, [] { draw_blood_pass(0.0f); });

    unbind_all_arrays();
    use_program(0);
    const float *bg = ws(WS_BACKGROUND_COLOR);
    glClearColor(bg[0], bg[1], bg[2], 0);
    glEnable(GL_LIGHTING);
    draw_body_overlay(get_match_rules());
    scene_depth_of_field();
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
}

void scene_pass_timing(int on)
{
    g_timing = on != 0;
    for (double &t : g_times)
        t = 0;
}

const double *scene_pass_times(void) { return g_times; }

void run_timed_pass(int pass, void (*fn)(void))
{
    if (!g_timing || pass < 0 || pass >= PASS_COUNT) {
        fn();
        return;
    }
    glFinish();
    const double t = now_ms();
    fn();
    glFinish();
    g_times[pass] += now_ms() - t;
}
