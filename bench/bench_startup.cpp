// Start-up cost of the tool: from process start to the main window shown (offscreen), and the resident memory
// once it is up. Each iteration starts this program again as a child that builds and shows the main window
// and reports back through a pipe.
#include "app/TForm1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

const char kChildFlag[] = "--startup-child";

long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The child: start the tool's main window, say when it is shown, and leave.
int RunChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TForm1::TOptions options;
    options.IniPath = dir.filePath("kivconfig.INI").toStdString();
    TForm1 form(options);
    form.show();
    QTimer::singleShot(0, &app, [] {
        std::printf("%ld\n", ResidentKb());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}

void StartupToShown(benchmark::State& state)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    long residentKb = 0;
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char self[] = "/proc/self/exe";
        char flag[sizeof kChildFlag];
        std::memcpy(flag, kChildFlag, sizeof kChildFlag);
        char* args[] = {self, flag, nullptr};
        auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0) {
            close(out[0]);
            state.SkipWithError("spawn");
            return;
        }
        char line[64] = {};
        ssize_t got = read(out[0], line, sizeof line - 1);
        auto shown = std::chrono::steady_clock::now();
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (got <= 0) {
            state.SkipWithError("the child reported nothing");
            return;
        }
        residentKb = std::strtol(line, nullptr, 10);
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
    }
    state.counters["rss_kB"] = static_cast<double>(residentKb);
}
BENCHMARK(StartupToShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kChildFlag) == 0)
        return RunChild(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
