#include "image/DefaultImage.h"
#include "image/ImageStore.h"

#include <benchmark/benchmark.h>

static void BulkLoadConfigArea(benchmark::State& state)
{
    ImageStore store;
    const auto& bytes = DefaultImageBytes();
    std::string data(bytes.begin(), bytes.end());
    for (auto _ : state) {
        store.LoadPlain(0, data);
        benchmark::DoNotOptimize(store.Image.Byte(3071));
    }
}
BENCHMARK(BulkLoadConfigArea);

static void RenderThreeTables(benchmark::State& state)
{
    ImageStore store;
    store.setDefaultClick();
    for (auto _ : state) {
        size_t total = 0;
        for (ByteTable t : {ByteTable::Ascii, ByteTable::Hex, ByteTable::Dec})
            for (int a = 0; a < MemoryImage::kConfigSize; ++a)
                total += store.CellText(t, ByteTables::ColOf(a), ByteTables::RowOf(a)).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(RenderThreeTables);

BENCHMARK_MAIN();
