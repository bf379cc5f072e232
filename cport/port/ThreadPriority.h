#pragma once

#include "cport/port/CportTypes.h"

#include <string>

// Gives the calling thread the priority: tpIdle puts it under SCHED_IDLE, the others move its nice value from
// the one it started with (the table in the source: lower priorities up, higher ones down, tpNormal not at all).
// Raising needs CAP_SYS_NICE or an RLIMIT_NICE that allows it. Returns 0, or the errno of a change the system
// refused; the thread then keeps the priority it had.
int ApplyThreadPriority(TThreadPriority Priority);

// Names the calling thread (at most 15 characters show), so that it can be told apart in the system's lists.
void NameThisThread(const std::string& Name);
