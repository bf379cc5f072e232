#pragma once

#include "cport/port/CportTypes.h"

// One hand-over of events to the port. A batch that carries a modem line change also carries the levels of the
// lines right after that change (the ml* bits of the device layer), so that a change reverted before the window
// thread got to it is still reported as it was: a short pulse is "on" and then "off".
struct TComBatch {
    TComEvents Events;
    unsigned Lines = 0; // meaningful where Events holds a line change: every one comes with its levels
};
