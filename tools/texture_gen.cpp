// Draws the game's own interface and default fighter textures as 32-bit
// TGA files (square, power-of-two sides, the form the texture loader reads).
// Usage: kx_texture_gen <run folder>
//
// Every picture is made from simple shapes: discs, rings, bands, gradients
// and a seeded noise for the blood splat.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Rgba {
    float r, g, b, a;
};

typedef std::function<Rgba(float x, float y)> Painter;  // x, y in 0..1, y up

uint8_t byte(float v)
{
    return v <= 0 ? 0 : v >= 1 ? 255 : (uint8_t)lroundf(v * 255.0f);
}

float smooth(float e0, float e1, float v)
{
    float t = (v - e0) / (e1 - e0);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}

// Writes an uncompressed 32-bit TGA; rows bottom first as the format's
// default origin has them.
bool write_tga(const std::string &path, int side, const Painter &paint)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    uint8_t head[18] = {0};
    head[2] = 2;
    head[12] = (uint8_t)(side & 0xFF); head[13] = (uint8_t)(side >> 8);
    head[14] = (uint8_t)(side & 0xFF); head[15] = (uint8_t)(side >> 8);
    head[16] = 32;
    head[17] = 8;
    fwrite(head, 1, sizeof head, f);
    std::vector<uint8_t> row(side * 4);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            const Rgba c = paint((x + 0.5f) / side, (y + 0.5f) / side);
            uint8_t *p = &row[x * 4];
            p[0] = byte(c.b); p[1] = byte(c.g); p[2] = byte(c.r); p[3] = byte(c.a);
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    return fclose(f) == 0;
}

float radius(float x, float y) { return hypotf(x - 0.5f, y - 0.5f) * 2.0f; }

// Value noise on a grid, seeded: the same picture on every machine.
float noise(float x, float y, int cells, uint32_t seed)
{
    auto h = [&](int i, int j) {
        uint32_t v = (uint32_t)(i * 73856093) ^ (uint32_t)(j * 19349663) ^ seed;
        v ^= v >> 13; v *= 0x5bd1e995u; v ^= v >> 15;
        return (v & 0xFFFF) / 65535.0f;
    };
    const float fx = x * cells, fy = y * cells;
    const int i = (int)fx, j = (int)fy;
    const float u = smooth(0, 1, fx - i), v = smooth(0, 1, fy - j);
    return (h(i, j) * (1 - u) + h(i + 1, j) * u) * (1 - v) + (h(i, j + 1) * (1 - u) + h(i + 1, j + 1) * u) * v;
}

Rgba splat(float x, float y)
{
    const float edge = 0.55f + 0.35f * noise(x, y, 6, 7) + 0.1f * noise(x, y, 17, 3);
    const float a = 1.0f - smooth(edge - 0.08f, edge, radius(x, y));
    return {0.55f + 0.1f * noise(x, y, 9, 1), 0.02f, 0.08f, a};
}

Rgba logo(float x, float y)
{
    // A ring with a bar across it, on transparent ground.
    const float r = radius(x, y);
    const float ring = smooth(0.62f, 0.66f, r) * (1 - smooth(0.8f, 0.84f, r));
    const float bar = (1 - smooth(0.08f, 0.11f, fabsf(x - 0.5f))) * (1 - smooth(0.7f, 0.74f, r));
    const float a = fmaxf(ring, bar);
    return {0.85f, 0.2f + 0.3f * y, 0.1f, a};
}

Rgba background(float x, float y)
{
    const float v = 0.82f + 0.12f * y + 0.03f * noise(x, y, 8, 11);
    return {v, v, v + 0.03f, 1};
}

Rgba header(float, float y)
{
    const float v = 0.25f + 0.5f * y;
    return {v * 0.3f, v * 0.45f, v, 1 - smooth(0.9f, 1.0f, y) * 0.5f};
}

Rgba indicator(float x, float y)
{
    // A triangle pointing down.
    const float half = y * 0.45f;
    const float inside = (fabsf(x - 0.5f) < half && y > 0.1f) ? 1.0f : 0.0f;
    return {1, 0.85f, 0.1f, inside};
}

Rgba soft_shadow(float x, float y)
{
    return {0, 0, 0, 0.6f * (1 - smooth(0.2f, 1.0f, radius(x, y)))};
}

Rgba flame(float x, float y)
{
    const float r = radius(x, y);
    const float a = 1 - smooth(0.0f, 1.0f, r);
    return {1, 1 - 0.4f * r, 1 - 0.9f * r, a * a};
}

Rgba trail(float x, float)
{
    return {1, 1, 1, x};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: kx_texture_gen <run folder>\n");
        return 2;
    }
    const std::string run = argv[1];
    for (const char *d : {"/data", "/data/textures", "/custom", "/custom/vako", "/custom/zud"})
        mkdir((run + d).c_str(), 0755);
    struct Item {
        const char *file;
        int side;
        Painter paint;
    } items[] = {
        {"data/textures/splatt1.tga", 128, splat},
        {"data/textures/logo.tga", 256, logo},
        {"data/textures/background.tga", 256, background},
        {"data/textures/header.tga", 256, header},
        {"data/textures/indicator.tga", 64, indicator},
        {"data/textures/av_shadow.tga", 128, soft_shadow},
        {"data/textures/trail.tga", 64, trail},
        {"custom/vako/flame.tga", 64, flame},
        {"custom/zud/flame.tga", 64, flame},
    };
    int failed = 0;
    for (const Item &it : items) {
        if (!write_tga(run + "/" + it.file, it.side, it.paint)) {
            fprintf(stderr, "kx_texture_gen: cannot write %s\n", it.file);
            failed = 1;
        }
    }
    return failed;
}
