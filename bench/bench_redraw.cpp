#include "app/TForm1.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

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
