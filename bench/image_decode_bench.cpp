// PNG decoding speed: our decoder and libpng on the same real-sized images
// (256 x 256 to 2048 x 2048, several colour types), timed alternately in
// the same run. The reported time is ours; the counters give both in
// milliseconds per image and the ratio ours / libpng.
#include <benchmark/benchmark.h>

#include <png.h>

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/png_decode.h"
#include "render/png_test_util.h"

namespace {

struct BenchImage {
    const char *name;
    uint32_t side_w, side_h;
    int color_type, depth;
    bool interlace;
};

const BenchImage IMAGES[] = {
    {"rgba8_256", 256, 256, PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
    {"rgba8_1024", 1024, 1024, PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
    {"rgba8_2048", 2048, 2048, PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
    {"rgb8_512", 512, 512, PNG_COLOR_TYPE_RGB, 8, false},
    {"rgb8_2048", 2048, 2048, PNG_COLOR_TYPE_RGB, 8, false},
    {"palette8_1024", 1024, 1024, PNG_COLOR_TYPE_PALETTE, 8, false},
    {"grey8_2048", 2048, 2048, PNG_COLOR_TYPE_GRAY, 8, false},
    {"rgb16_512", 512, 512, PNG_COLOR_TYPE_RGB, 16, false},
    {"rgba8_1024_interlaced", 1024, 1024, PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
};

// Photograph-like content: smooth shading, soft shapes and a little noise,
// so that filters and compression behave as on real textures.
pngtest::Samples photo_samples(const pngtest::PngParams &params)
{
    pngtest::Samples s;
    s.channels = pngtest::channels_of(params.color_type);
    const double maxv = params.color_type == PNG_COLOR_TYPE_PALETTE ? 255.0 : (double)((1u << params.bit_depth) - 1);
    pngtest::Rng rng(params.width * 31 + params.color_type);
    s.v.resize((size_t)params.width * params.height * s.channels);
    size_t i = 0;
    for (uint32_t y = 0; y < params.height; y++) {
        double fy = (double)y / params.height;
        for (uint32_t x = 0; x < params.width; x++) {
            double fx = (double)x / params.width;
            for (unsigned c = 0; c < s.channels; c++) {
                double v = 0.5 + 0.3 * std::sin(6.0 * fx + 2.0 * c) * std::cos(5.0 * fy - c) +
                           0.15 * std::sin(40.0 * (fx * fx + fy * fy) + c);
                if ((x / 64 + y / 64) % 3 == 0)
                    v = 0.2 + 0.1 * c;  // flat patches
                v += ((double)rng.below(1000) / 1000.0 - 0.5) * 0.03;
                v = v < 0 ? 0 : v > 1 ? 1 : v;
                s.v[i++] = (uint16_t)(v * maxv);
            }
        }
    }
    return s;
}

const std::string &encoded(int index)
{
    static std::string files[sizeof IMAGES / sizeof IMAGES[0]];
    std::string &f = files[index];
    if (f.empty()) {
        const BenchImage &b = IMAGES[index];
        pngtest::PngParams params;
        params.width = b.side_w;
        params.height = b.side_h;
        params.color_type = b.color_type;
        params.bit_depth = b.depth;
        params.interlace = b.interlace;
        f = pngtest::write_png(params, photo_samples(params));
    }
    return f;
}

void BM_DecodePng(benchmark::State &state)
{
    const int index = (int)state.range(0);
    const std::string &file = encoded(index);
    const uint8_t *data = reinterpret_cast<const uint8_t *>(file.data());
    std::vector<uint8_t> ours, theirs;
    double ours_total = 0, theirs_total = 0;
    for (auto _ : state) {
        unsigned w, h;
        auto t0 = std::chrono::steady_clock::now();
        unsigned rc = decode_png(ours, w, h, data, file.size());
        auto t1 = std::chrono::steady_clock::now();
        bool ok = pngtest::libpng_decode_rgba(file, theirs, w, h);
        auto t2 = std::chrono::steady_clock::now();
        if (rc != 0 || !ok || ours != theirs) {
            state.SkipWithError("the decoders disagree");
            break;
        }
        double a = std::chrono::duration<double>(t1 - t0).count();
        double b = std::chrono::duration<double>(t2 - t1).count();
        ours_total += a;
        theirs_total += b;
        state.SetIterationTime(a);
    }
    const double n = (double)state.iterations();
    if (n > 0 && theirs_total > 0) {
        state.counters["ours_ms"] = 1000.0 * ours_total / n;
        state.counters["libpng_ms"] = 1000.0 * theirs_total / n;
        state.counters["ratio"] = ours_total / theirs_total;
        state.counters["file_kb"] = (double)file.size() / 1024.0;
    }
    state.SetLabel(IMAGES[index].name);
    state.SetBytesProcessed((int64_t)n * IMAGES[index].side_w * IMAGES[index].side_h * 4);
}

} // namespace

BENCHMARK(BM_DecodePng)->DenseRange(0, sizeof IMAGES / sizeof IMAGES[0] - 1)->UseManualTime()->Unit(benchmark::kMillisecond);
