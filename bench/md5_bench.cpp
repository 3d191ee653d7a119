// MD5 throughput over buffers of a password's size up to a downloaded file's.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/base/md5.h"

static void BM_Md5(benchmark::State &state)
{
    std::vector<uint8_t> data((size_t)state.range(0), 0x5a);
    uint8_t digest[16];
    for (auto _ : state) {
        Md5Context ctx;
        md5_init(&ctx);
        md5_update(&ctx, data.data(), data.size());
        md5_final(&ctx, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(16)->Arg(1024)->Arg(1 << 20);
