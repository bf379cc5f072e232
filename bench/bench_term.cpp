#include "cport/terminal/TermScreen.h"

#include <benchmark/benchmark.h>

#include <string>

// A unit's log streaming into a full-size terminal: every line scrolls the screen.
static void BM_TermScreenScrollingText(benchmark::State& State)
{
    TermScreen Screen;
    Screen.SetColumns(256);
    Screen.SetRows(40);
    Screen.SetEscapeCodes(MakeEscapeCodes(TTermEmulation::teNone));
    std::string Block;
    for (int Line = 0; Line < 64; ++Line)
        Block += "12:00:00.00 : kvrea0 OK REA=0123456789ABCDEF0123456789ABCDEF\r\n";
    for (auto _ : State)
        Screen.WriteStr(Block);
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * static_cast<std::int64_t>(Block.size()));
}
BENCHMARK(BM_TermScreenScrollingText);

// The same through the VT100 parser with cursor addressing and attributes between the text.
static void BM_TermScreenVt100(benchmark::State& State)
{
    TermScreen Screen;
    Screen.SetEscapeCodes(MakeEscapeCodes(TTermEmulation::teVT100orANSI));
    std::string Block;
    for (int Line = 1; Line <= 24; ++Line)
        Block += "\x1b[" + std::to_string(Line) + ";1H\x1b[1;4mValue\x1b[m = 42\x1b[K";
    for (auto _ : State)
        Screen.WriteStr(Block);
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * static_cast<std::int64_t>(Block.size()));
}
BENCHMARK(BM_TermScreenVt100);

BENCHMARK_MAIN();
