#include "app/screen_emboss.h"

#include <cmath>

namespace {

// The light: azimuth 135 degrees, elevation 90, length 255.
const double kAzimuth = 135.0 * M_PI / 180.0, kElevation = 90.0 * M_PI / 180.0;
const double kLight[3] = {std::cos(kAzimuth) * std::cos(kElevation) * 255.0,
                          std::sin(kAzimuth) * std::cos(kElevation) * 255.0, std::sin(kElevation) * 255.0};
// The relief's height over its width: the normal's upward part.
const double kNormalZ = 1530.0 / 30.0;

double luminance(const unsigned char *src, int width, int height, int x, int y)
{
    x = x < 0 ? 0 : (x >= width ? width - 1 : x);
    y = y < 0 ? 0 : (y >= height ? height - 1 : y);
    const unsigned char *p = src + 3 * ((long)y * width + x);
    return std::floor(0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2] + 0.5);
}

} // namespace

void emboss_screen(const unsigned char *src, unsigned char *dst, int width, int height)
{
    if (!src || !dst || width < 1 || height < 1)
        return;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            double l[3][3];
            for (int j = -1; j <= 1; j++)
                for (int i = -1; i <= 1; i++)
                    l[j + 1][i + 1] = luminance(src, width, height, x + i, y + j);
            const double nx = l[0][0] + l[1][0] + l[2][0] - l[0][2] - l[1][2] - l[2][2];
            const double ny = l[2][0] + l[2][1] + l[2][2] - l[0][0] - l[0][1] - l[0][2];
            const double dot = nx * kLight[0] + ny * kLight[1] + kNormalZ * kLight[2];
            const double shade = dot <= 0 ? 0.0 : dot / std::sqrt(nx * nx + ny * ny + kNormalZ * kNormalZ);
            const unsigned char *s = src + 3 * ((long)y * width + x);
            unsigned char *d = dst + 3 * ((long)y * width + x);
            for (int c = 0; c < 3; c++) {
                const double v = s[c] * shade / 255.0;
                d[c] = (unsigned char)(v > 255.0 ? 255 : std::lround(v));
            }
        }
    }
}
