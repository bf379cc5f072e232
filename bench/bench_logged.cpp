#include "image/ImageStore.h"
#include "pages/GeneralPage.h"
#include "pages/LogListView.h"
#include "pages/LogRecords.h"
#include "pages/Redraw.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

#include <cstdlib>

// A full memory read with one channel logged: 6855 records of nine bytes, none of them erased.
namespace
{

void FillFullLog(ImageStore& image)
{
    TRedraw redraw;
    RadioGroup1Click(image, redraw, 1);
    image.LoadPlain(kLoggedChannelsAddress, std::string(1, '\x01'));
    std::string area(MemoryImage::kSize - kLogAreaStart, '\0');
    for (size_t i = 0; i < area.size(); ++i)
        area[i] = static_cast<char>(i * 131 + 7);
    image.LoadPlain(kLogAreaStart, area);
}

} // namespace

// The record list's text from the image: the work a changed logging area costs.
static void RecordListText(benchmark::State& state)
{
    ImageStore image;
    FillFullLog(image);
    for (auto _ : state)
        benchmark::DoNotOptimize(LogListText(image, LogLayout(image)));
}
BENCHMARK(RecordListText)->Unit(benchmark::kMillisecond);

// The text built and set into the page's memo, as the redraw after a full-memory read does.
static void RecordListIntoThePage(benchmark::State& state)
{
    ImageStore image;
    FillFullLog(image);
    QPlainTextEdit memo;
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    TLogListView view(&memo);
    for (auto _ : state) {
        image.LoadPlain(MemoryImage::kSize - 1, std::string(1, static_cast<char>(state.iterations())));
        view.Show(image);
    }
}
BENCHMARK(RecordListIntoThePage)->Unit(benchmark::kMillisecond);

// A redraw that leaves the logging area as it was: nothing is built or set.
static void UnchangedRecordList(benchmark::State& state)
{
    ImageStore image;
    FillFullLog(image);
    QPlainTextEdit memo;
    TLogListView view(&memo);
    view.Show(image);
    for (auto _ : state)
        view.Show(image);
}
BENCHMARK(UnchangedRecordList)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
