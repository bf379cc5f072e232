#include "cport/port/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
// The one place the seven priorities meet Linux.
struct TPriorityMapping {
    TThreadPriority Priority;
    bool IdlePolicy;
    int NiceOffset; // added to the nice value the thread started with; positive lowers it
};
constexpr TPriorityMapping Mapping[] = {
    {tpIdle, true, 0},     {tpLowest, false, 10},   {tpLower, false, 5},          {tpNormal, false, 0},
    {tpHigher, false, -5}, {tpHighest, false, -10}, {tpTimeCritical, false, -15},
};
} // namespace

int ApplyThreadPriority(TThreadPriority Priority)
{
    const auto* m = std::find_if(std::begin(Mapping), std::end(Mapping),
                                 [&](const TPriorityMapping& e) { return e.Priority == Priority; });
    if (m == std::end(Mapping))
        return EINVAL;
    if (m->IdlePolicy) {
        sched_param none{};
        return pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
    }
    const int offset = m->NiceOffset;
    if (offset == 0)
        return 0;
    const id_t self = id_t(gettid());
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, self);
    if (now == -1 && errno != 0)
        return errno;
    const int wanted = std::clamp(now + offset, -20, 19);
    return setpriority(PRIO_PROCESS, self, wanted) == 0 ? 0 : errno;
}

void NameThisThread(const std::string& Name)
{
    pthread_setname_np(pthread_self(), Name.substr(0, 15).c_str());
}
