#include "particles/particles_draw_gl.h"

#include <GL/glew.h>
#include <cmath>
#include <vector>

#include "particles/flames.h"
#include "particles/limb_trails.h"

namespace {

GLuint g_tex[PARTICLE_TEXTURES];   // 0..7 trails, 8..9 flames

// A soft white texture: alpha falls off from the middle (a ribbon across s,
// a disc for the flames).
GLuint make_soft_texture(int disc)
{
    enum { N = 32 };
    std::vector<unsigned char> px(N * N * 4, 255);
    for (int y = 0; y < N; y++)
        for (int x = 0; x < N; x++) {
            const float dx = (x + 0.5f) / N * 2 - 1, dy = (y + 0.5f) / N * 2 - 1;
            float d = disc ? std::sqrt(dx * dx + dy * dy) : std::fabs(dx);
            d = d > 1 ? 1 : d;
            px[(y * N + x) * 4 + 3] = (unsigned char)std::lround((1 - d) * 255);
        }
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, N, N, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return t;
}

void free_range(int from, int to)
{
    for (int k = from; k < to; k++) {
        if (g_tex[k])
            glDeleteTextures(1, &g_tex[k]);
        g_tex[k] = 0;
    }
}

// Textured, blended, unlit, no depth writes: the state both effects draw in.
void begin_effect(GLuint tex)
{
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    if (tex) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tex);
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
        g_tex[k] = make_soft_texture(0);
}

void trails_free(void) { free_range(0, TRAIL_COUNT); }

// Each trail as a ribbon that widens sideways in x and y by a small width,
// its colour running from head to tail.
void trails_draw(void)
{
    for (int f = 0; f < TRAIL_FIGHTERS; f++)
        for (int k = 0; k < TRAIL_LIMBS; k++) {
            const LimbTrail *t = get_limb_trail(f, k);
            if (!t || t->count < 2)
                continue;
            begin_effect(g_tex[f * TRAIL_LIMBS + k]);
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
    g_tex[TRAIL_COUNT] = make_soft_texture(1);
    g_tex[TRAIL_COUNT + 1] = make_soft_texture(1);
}

void flames_free(void) { free_range(TRAIL_COUNT, PARTICLE_TEXTURES); }

// Every live particle as a square facing the camera, shrinking and fading
// with its age.
void flames_draw(void)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float right[3] = {m[0], m[4], m[8]}, up[3] = {m[1], m[5], m[9]};
    begin_effect(g_tex[TRAIL_COUNT]);
    glBegin(GL_QUADS);
    for (int k = 0; k < FLAME_SYSTEMS; k++) {
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

unsigned particles_texture(int k) { return k >= 0 && k < PARTICLE_TEXTURES ? g_tex[k] : 0; }
