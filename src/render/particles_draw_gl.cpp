#include "render/particles_draw_gl.h"

#include <GL/glew.h>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/game_state.h"
#include "net/records/custom_record.h"
#include "particles/flames.h"
#include "particles/limb_trails.h"
#include "render/color_table.h"
#include "render/texture.h"

namespace {

enum { FLAME_TEXTURES = 2, WANT_SIZE = 160 };

// The trails' textures (fighter f's limb k at f * 4 + k), then one flame
// texture per fighter; each with the file it was last asked to hold.
Texture g_tex[PARTICLE_TEXTURES];
char g_want[PARTICLE_TEXTURES][WANT_SIZE];
bool g_made[PARTICLE_TEXTURES];
// The trail colour rows last handed to each trail (head, tail).
int g_trail_rows[TRAIL_COUNT][2];

const char *const k_trail_names[TRAIL_LIMBS] = {"trail_r_hand", "trail_l_hand", "trail_r_foot", "trail_l_foot"};

void make(int k)
{
    if (!g_made[k])
        texture_init(&g_tex[k]);
    g_made[k] = true;
    g_want[k][0] = 0;
}

void free_range(int from, int to)
{
    for (int k = from; k < to; k++) {
        if (g_made[k])
            texture_delete(&g_tex[k]);
        g_made[k] = false;
        g_want[k][0] = 0;
    }
}

// The fighter's customisation folder, empty when the name cannot be one.
const char *custom_folder(int fighter, char *out, int size)
{
    const Player *p = fighter < get_game_state()->players ? get_player(fighter) : nullptr;
    out[0] = 0;
    if (p && p->name[0] && is_safe_path(p->name, 0))
        snprintf(out, (size_t)size, "custom/%s", p->name);
    return out;
}

// Loads texture k from dir/name, else from the fallback; the files are
// read again only when what is asked for changes. True when loaded.
bool load_once(int k, const char *dir, const char *name, const char *fallback_dir, const char *fallback_name)
{
    char want[WANT_SIZE];
    snprintf(want, sizeof want, "%s/%s|%s/%s", dir, name, fallback_dir, fallback_name);
    if (strcmp(want, g_want[k]) == 0)
        return texture_is_loaded(&g_tex[k]);
    n_strncpyz(g_want[k], want, WANT_SIZE);
    if (dir[0] && texture_load_named(&g_tex[k], dir, name, false))
        return true;
    if (texture_load_named(&g_tex[k], fallback_dir, fallback_name, false))
        return true;
    fprintf(stderr, "failed to load texture %s/%s\n", fallback_dir, fallback_name);
    return false;
}

// Each trail's texture (its own from the fighter's folder when the
// customisation asks for it) and its colours from the customisation rows.
void trails_refresh(void)
{
    for (int f = 0; f < TRAIL_FIGHTERS; f++) {
        const CustomRecord *rec = get_custom_record(f);
        char folder[WANT_SIZE / 2];
        custom_folder(f, folder, sizeof folder);
        for (int k = 0; k < TRAIL_LIMBS; k++) {
            const int i = f * TRAIL_LIMBS + k;
            if (g_made[i])
                load_once(i, rec && rec->tex_trail[k] ? folder : "", k_trail_names[k], "data/textures", "trail");
            LimbTrail *t = get_limb_trail(f, k);
            const int head = rec ? rec->trail_color[k][0] : 0, tail = rec ? rec->trail_color[k][1] : 0;
            if (!t || (head == g_trail_rows[i][0] && tail == g_trail_rows[i][1]))
                continue;
            g_trail_rows[i][0] = head;
            g_trail_rows[i][1] = tail;
            if (head > 0 || tail > 0) {
                float h[4] = {1, 1, 1, 1}, e[4] = {1, 1, 1, 0};
                get_color_index_rgb_or(head, tail, h);
                get_color_index_rgb_or(tail, head, e);
                t->set_colors(h, e);
            } else {
                // The customisation no longer colours it: white again.
                const float h[4] = {1, 1, 1, 1}, e[4] = {1, 1, 1, 0};
                t->set_colors(h, e);
                t->colors_set = 0;
            }
        }
    }
}

// Each fighter's flame texture: its own, else zud's; a fighter whose
// flame texture does not load emits no flames.
void flames_refresh(void)
{
    for (int f = 0; f < FLAME_TEXTURES; f++) {
        const int k = TRAIL_COUNT + f;
        char folder[WANT_SIZE / 2];
        custom_folder(f, folder, sizeof folder);
        flames_set_fighter_texture(f, g_made[k] && load_once(k, folder, "flame", "custom/zud", "flame"));
    }
}

// Textured (modulated by the colour), blended, unlit, no depth writes:
// the state both effects draw in.
void begin_effect(Texture *tex)
{
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    if (tex && texture_is_loaded(tex)) {
        glEnable(GL_TEXTURE_2D);
        texture_set_modulate(tex, 1);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void end_effect(void)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}

} // namespace

void trails_init(void)
{
    trails_free();
    for (int k = 0; k < TRAIL_COUNT; k++)
        make(k);
    for (auto &rows : g_trail_rows)
        rows[0] = rows[1] = 0;
    trails_refresh();
}

void trails_free(void) { free_range(0, TRAIL_COUNT); }

// Each trail as a ribbon that widens sideways in x and y by a small width,
// its colour running from head to tail.
void trails_draw(void)
{
    trails_refresh();
    for (int f = 0; f < TRAIL_FIGHTERS; f++)
        for (int k = 0; k < TRAIL_LIMBS; k++) {
            const LimbTrail *t = get_limb_trail(f, k);
            if (!t || t->count < 2)
                continue;
            begin_effect(&g_tex[f * TRAIL_LIMBS + k]);
            glBegin(GL_QUAD_STRIP);
            for (int s = 0; s < t->count; s++) {
                const TrailSegment *seg = trail_segment(t, s);
                const float u = (float)s / (float)(t->count - 1);
                float c[4];
                for (int i = 0; i < 4; i++)
                    c[i] = t->head_color[i] * (1 - u) + t->tail_color[i] * u;
                glColor4fv(c);
                const float w = 0.05f * (1 - u);
                glTexCoord2f(0, u);
                glVertex3f(seg->pos[0] - w, seg->pos[1], seg->pos[2] - w);
                glTexCoord2f(1, u);
                glVertex3f(seg->pos[0] + w, seg->pos[1], seg->pos[2] + w);
            }
            glEnd();
            end_effect();
        }
}

void flames_init(void)
{
    flames_free();
    flames_clear();
    for (int k = TRAIL_COUNT; k < PARTICLE_TEXTURES; k++)
        make(k);
    flames_refresh();
}

void flames_free(void)
{
    free_range(TRAIL_COUNT, PARTICLE_TEXTURES);
    for (int f = 0; f < FLAME_TEXTURES; f++)
        flames_set_fighter_texture(f, 0);
}

// Every live particle as a square facing the camera, shrinking and fading
// with its age.
void flames_draw(void)
{
    flames_refresh();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float right[3] = {m[0], m[4], m[8]}, up[3] = {m[1], m[5], m[9]};
    for (int f = 0; f < FLAME_TEXTURES; f++) {
        if (!flames_fighter_has_texture(f))
            continue;
        begin_effect(&g_tex[TRAIL_COUNT + f]);
        glBegin(GL_QUADS);
        for (int k = f * FLAME_SLOTS; k < (f + 1) * FLAME_SLOTS; k++) {
            const FlameSystem *s = get_flame_system(k);
            for (const FlameParticle &p : s->particles) {
                if (p.age >= FLAME_LIFE)
                    continue;
                const float life = 1 - (float)p.age / FLAME_LIFE;
                const float h = 0.08f * life;
                glColor4f(s->color[0], s->color[1], s->color[2], s->color[3] * life);
                static const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
                for (const auto &c : corner) {
                    glTexCoord2f((c[0] + 1) / 2, (c[1] + 1) / 2);
                    glVertex3f(p.pos[0] + h * (c[0] * right[0] + c[1] * up[0]),
                               p.pos[1] + h * (c[0] * right[1] + c[1] * up[1]),
                               p.pos[2] + h * (c[0] * right[2] + c[1] * up[2]));
                }
            }
        }
        glEnd();
        end_effect();
    }
}

void draw_flames_and_trails(void)
{
    if (option_get(OPT_TRAILS))
        trails_draw();
    if (option_get(OPT_PARTICLES))
        flames_draw();
}

const Texture *particles_texture_object(int k) { return k >= 0 && k < PARTICLE_TEXTURES ? &g_tex[k] : nullptr; }

unsigned particles_texture(int k) { return k >= 0 && k < PARTICLE_TEXTURES && g_made[k] ? g_tex[k].gl_id : 0; }
