#include "app/TForm1.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace
{

TForm1* form = nullptr;

TForm1& Form()
{
    return *form;
}

} // namespace

static void FullRedraw(benchmark::State& state)
{
    TForm1& form = Form();
    for (auto _ : state)
        form.ImageToControls();
}
BENCHMARK(FullRedraw)->Unit(benchmark::kMicrosecond);

static void BitChangeRedrawsEverything(benchmark::State& state)
{
    TForm1& form = Form();
    int mode = 0;
    for (auto _ : state) {
        form.Image.SetImageBits(771, mode, 0x40);
        mode ^= 1;
    }
}
BENCHMARK(BitChangeRedrawsEverything)->Unit(benchmark::kMicrosecond);

// Every option switch of the window changed in turn, each change redrawing every page: far below a frame.
static void EveryOptionBitRedrawsEverything(benchmark::State& state)
{
    TForm1& form = Form();
    std::vector<BitSwitch> bits;
    for (const TRow& row : form.PageContext.Rows)
        if (const auto* bit = std::get_if<BitSwitch>(&row.field); bit && row.step == TRedraw::OptionBits)
            bits.push_back(*bit);
    size_t next = 0;
    for (auto _ : state) {
        const BitSwitch& bit = bits[next++ % bits.size()];
        form.Image.SetImageBits(bit.address, (form.Image.ReadImageByte(bit.address) & bit.mask) ? 0 : 1, bit.mask);
    }
    state.counters["switches"] = static_cast<double>(bits.size());
}
BENCHMARK(EveryOptionBitRedrawsEverything)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    TForm1::TOptions options;
    options.IniPath = (std::filesystem::temp_directory_path() / "bench_redraw.INI").string();
    // The window goes before the application object.
    auto window = std::make_unique<TForm1>(options);
    form = window.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
