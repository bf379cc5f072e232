#pragma once

#include <cstdint>

// Milliseconds of a steady clock, for the protocol's time stamps and time limits.
uint32_t NowMs();

// Waits ms milliseconds on the window thread while Qt keeps handling events (clicks, port and socket
// events run inside the wait). A nested event loop with a precise timer: no core is spun.
void DelayMs(int ms);

// Sleeps about a millisecond without handling events: the pause between two looks of a reply wait.
void PauseBetweenPolls();
