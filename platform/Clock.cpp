#include "platform/Clock.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

uint32_t NowMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void DelayMs(int ms)
{
    // No wait, no pumping: a character delay of 0 must not open a door for other handlers per byte.
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

void PauseBetweenPolls()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
