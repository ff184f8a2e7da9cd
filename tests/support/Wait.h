#pragma once
// Waiting in tests: a positive check waits until what it expects is there,
// with a generous limit; PumpFor is only for proving that nothing more came.
#include <functional>

// Dispatches the calling thread's Qt events until pred holds or nMaxMs have
// passed; returns pred(). Sleeps only briefly between rounds, so a monitor
// thread that hands over one byte per event is not slowed down.
bool WaitUntil(const std::function<bool()>& pred, int nMaxMs = 10000);
// Dispatches events for nMs.
void PumpFor(int nMs);
