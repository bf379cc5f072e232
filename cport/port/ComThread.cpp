#include "cport/port/ComThread.h"

#include "cport/port/ComIo.h"
#include "cport/port/Cport.h"
#include "cport/port/ThreadPriority.h"

#include <QMetaObject>
#include <QObject>

TComThread::TComThread(TCustomComPort& Port, TComIo& Io, QObject& Dispatcher, TSyncMethod Method,
                       TThreadPriority Priority, unsigned Generation)
    : FPort(Port), FIo(Io), FDispatcher(Dispatcher), FMethod(Method), FPriority(Priority), FGeneration(Generation)
{
    FIo.SetMask(Port.Events());
    FThread = std::thread([this] { Execute(); });
}

TComThread::~TComThread()
{
    Stop();
    if (FThread.joinable()) {
        if (OnThisThread())
            FThread.detach(); // cannot happen through the port, which retires such a thread instead
        else
            FThread.join();
    }
}

void TComThread::Stop()
{
    {
        std::lock_guard<std::mutex> g(FHandOff->Lock);
        if (FHandOff->Stopping)
            return;
        FHandOff->Stopping = true;
        FHandOff->Cv.notify_all();
    }
    FIo.StopBatches();
}

bool TComThread::Stopping()
{
    std::lock_guard<std::mutex> g(FHandOff->Lock);
    return FHandOff->Stopping;
}

void TComThread::Execute()
{
    // A priority the system refuses (a raise without the privilege) leaves the thread as it started: the port
    // works all the same. The name comes after it, so whoever sees the name sees the priority.
    (void)ApplyThreadPriority(FPriority);
    NameThisThread("com-events");
    for (;;) {
        TComBatch batch;
        if (!FIo.WaitBatch(batch) || Stopping())
            return;
        Dispatch(batch);
        // After a handler on this thread closed the port, the I/O core may be gone: touch nothing more.
        if (Stopping())
            return;
    }
}

void TComThread::Dispatch(const TComBatch& Batch)
{
    switch (FMethod) {
    case smNone:
        FPort.DispatchEvents(Batch, FGeneration);
        break;
    case smWindowSync:
        // One call per event, in the delivery order; the thread goes on waiting meanwhile.
        for (TComEvent ev : ComDeliveryOrder)
            if (Batch.Events.Contains(ev)) {
                TCustomComPort* port = &FPort;
                const unsigned gen = FGeneration;
                TComBatch one = Batch;
                one.Events = TComEvents{ev};
                QMetaObject::invokeMethod(
                    &FDispatcher, [port, one, gen] { port->DispatchEvents(one, gen); }, Qt::QueuedConnection);
            }
        break;
    case smThreadSync:
        HandOver(Batch);
        break;
    }
}

void TComThread::HandOver(const TComBatch& Batch)
{
    const std::uint64_t ticket = ++FPosted;
    TCustomComPort* port = &FPort;
    const unsigned gen = FGeneration;
    std::shared_ptr<THandOff> handOff = FHandOff;
    QMetaObject::invokeMethod(
        &FDispatcher,
        [port, Batch, gen, handOff, ticket] {
            port->DispatchEvents(Batch, gen);
            std::lock_guard<std::mutex> g(handOff->Lock);
            handOff->Finished = ticket;
            handOff->Cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lk(FHandOff->Lock);
    FHandOff->Cv.wait(lk, [&] { return FHandOff->Stopping || FHandOff->Finished >= ticket; });
}
