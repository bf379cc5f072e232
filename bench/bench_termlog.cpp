#include "link/protocol/ReceiveLog.h"
#include "link/ui/ByteMemo.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace
{
// The memo is a widget: one application for the whole run, headless.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_termlog";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
}
} // namespace

// The terminal page's log window under a unit that talks without pause: each block is rendered, stamped and
// appended to a memo that is never trimmed. The cost per block must not grow with the memo.
static void BM_ReceiveLogIntoMemo(benchmark::State& state)
{
    EnsureApplication();
    ByteMemo memo;
    ReceiveLog log;
    ReceiveLogOptions options;
    options.ShowAll = true;
    const std::string block = "\r\nKVRAIA: 1234,5678,9012,3456,7890 mV\r\nOK\r\n";
    // A memo already holding a long session.
    LocalTime t;
    for (int i = 0; i < state.range(0); ++i) {
        t.Second = i % 60;
        auto update = log.OnBlock(memo.Bytes(), block, t, options);
        memo.Append(update.Append);
    }
    int n = 0;
    for (auto _ : state) {
        t.Second = (n++ / 4) % 60;
        auto update = log.OnBlock(memo.Bytes(), block, t, options);
        memo.Append(update.Append, update.MarkMoved ? static_cast<std::ptrdiff_t>(update.MarkInAppend) : -1);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_ReceiveLogIntoMemo)->Arg(0)->Arg(20000);

BENCHMARK_MAIN();
