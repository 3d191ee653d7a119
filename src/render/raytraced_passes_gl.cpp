#include <GL/glew.h>

#include "render/raytraced_passes_gl.h"

#include <cmath>

#include "render/mesh_gl.h"
#include "render/raytrace_plan.h"
#include "render/render_math.h"
#include "render/render_queues.h"
#include "render/scene_gl_state_gl.h"
#include "render/scene_links_gl.h"
#include "render/shader_programs_gl.h"
#include "render/shader_table.h"
#include "render/sky_gl.h"
#include "render/world_shader.h"

namespace {

// The record's colour times the ambient light, with its alpha.
void set_lit_colour(const DrawRecord *r)
{
    const float *amb = world_shader_value(WS_AMBIENT_COLOR);
    const float c[4] = {r->colour[0] * amb[0], r->colour[1] * amb[1], r->colour[2] * amb[2], r->colour[3]};
    glColor4fv(c);
    set_uniform_4fv("globalcolor", c);
}

void set_konstant(const DrawRecord *r) { set_uniform_4f("konstant", r->konstant, 0, 0, 0); }

// The reflections and the traced shadows look up the sky where a ray
// leaves the scene.
void bind_sky(void)
{
    if (sky_texture())
        bind_texture_unit(0, sky_texture());
}

void unbind_sky(void)
{
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

// Calls draw(record) for every solid record the opaque pass numbered into
// the stencil (of the shape given, -1: any), with the stencil test set to
// pass only on that record's pixels.
template <typename Draw> void for_each_stencilled_record(int shape, Draw draw)
{
    int n = 0;
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if (!raytrace_numbered_record(r))
            continue;
        const int number = n++ & 0xFF;
        if (r->mode != 1 || (shape >= 0 && (int)r->shape != shape))
            continue;
        glStencilFunc(GL_EQUAL, number, 0xFF);
        draw(r);
    }
}

} // namespace

void choose_occluders(unsigned program, const DrawRecord *record)
{
    if (!program || !record)
        return;
    if (current_program() != program)
        use_program(program);
    float chosen[CHOSEN_OCCLUDERS][4];
    choose_occluder_set(record->pos, world_shader_value(WS_AMBIENT_LIGHT_DIR), chosen);
    char name[5] = "occa";
    for (int i = 0; i < CHOSEN_OCCLUDERS; i++) {
        name[3] = (char)('a' + i);
        set_uniform_4fv(name, chosen[i]);
    }
}

void draw_reflector_pass(void)
{
    const Mesh *batch = mesh_draw_part(MESH_BATCH);
    if (!shader_row_handle(SH_REFLECTION) || !batch || batch->index_count <= 0)
        return;
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glColor4f(0.8f, 0, 0, 1);
    bind_sky();
    bind_coloured_layout(batch);
    glFrontFace(GL_CW);
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    for (int sweep = QUEUED_SPHERE; sweep <= QUEUED_CAPSULE; sweep++) {
        const unsigned program = shader_row_handle(sweep == QUEUED_SPHERE ? SH_REFLECTION : SH_CAPSULEREFLECTION);
        if (!program)
            continue;
        use_program(program);
        for_each_stencilled_record(sweep, [batch](const DrawRecord *r) {
            const float radius = std::sqrt(r->scaled[0] * r->scaled[0] + r->scaled[1] * r->scaled[1] +
                                           r->scaled[2] * r->scaled[2]);
            set_uniform_4f("reflectorsphere", r->pos[0], r->pos[1], r->pos[2], radius);
            const float column[3] = {r->scaled[2], r->scaled[5], r->scaled[8]};
            float axis[3];
            normalise(column, axis);
            set_uniform_4f("capsule", axis[0], axis[1], axis[2], r->konstant + 1.0f);
            draw_mesh(batch);
        });
    }
    glFrontFace(GL_CCW);
    glDisable(GL_STENCIL_TEST);
    unbind_layout();
    unbind_sky();
    use_program(0);
}

void draw_raytraced_shadows(void)
{
    glEnable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    bind_sky();
    float fog[4], floor[4];
    world_fog_value(fog);
    world_floor_lit_color(floor);
    static int neighbours[RAY_OBJECT_LIST_SIZE];
    for_each_stencilled_record(-1, [&fog, &floor](const DrawRecord *r) {
        load_object_texture_matrix(r->scaled, r->pos);
        for (int kind = QUEUED_SPHERE; kind <= QUEUED_BOX; kind++) {
            const int count = gather_ray_neighbours(r, kind, neighbours, RAY_OBJECT_LIST_SIZE);
            for (int first = 0; first < count; first += ray_batch_limit(kind)) {
                RayBatch b;
                if (plan_ray_batches(kind, neighbours + first, count - first, &b, 1) != 1)
                    break;
                const unsigned program = shader_row_handle(b.row);
                if (!program)
                    continue;
                use_program(program);
                set_konstant(r);
                set_lit_colour(r);
                set_uniform_4fv("fogcolor", fog);
                set_uniform_4fv("floorcolor", floor);
                for (int u = 0; u < b.uniform_count; u++)
                    set_uniform_4fv(b.uniforms[u].name, b.uniforms[u].v);
                scene_mesh_draw(r->mesh[1], 0, 0);
            }
        }
    });
    glDisable(GL_STENCIL_TEST);
    scene_mesh_unbind();
    unbind_sky();
    use_program(0);
}

void draw_shiny_pass(void)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_ALWAYS);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const unsigned plain = shader_row_handle(SH_DIFF_AO12_SHINY);
    const unsigned textured = shader_row_handle(SH_DIFFTEX_AO12_SHINY);
    for_each_stencilled_record(-1, [plain, textured](const DrawRecord *r) {
        unsigned program = plain;
        if ((r->kind & QUEUE_TEXTURED) && r->colour_tex && textured) {
            program = textured;
            bind_texture_unit(0, r->colour_tex);
        } else {
            glActiveTexture(GL_TEXTURE0);
            glDisable(GL_TEXTURE_2D);
        }
        if (!program)
            return;
        use_program(program);
        load_object_texture_matrix(r->scaled, r->pos);
        set_lit_colour(r);
        set_konstant(r);
        choose_occluders(program, r);
        scene_mesh_draw(r->mesh[1], 0, 0);
    });
    scene_mesh_unbind();
    use_program(0);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_RECTANGLE_ARB);
    unbind_sky();
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_STENCIL_TEST);
}
