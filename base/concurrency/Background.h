#pragma once

#include <chrono>
#include <functional>

// Work that must not hold up the window: each piece on a thread of its own. The program counts
// the pieces that still run, so that at its end it knows whether it can wait for them.
namespace Background {

// Throws std::system_error, and runs nothing, when no thread can be started.
void Run(std::function<void()> work);

// True once nothing runs any more; false when something still runs after `atMost`.
bool WaitIdle(std::chrono::milliseconds atMost);

} // namespace Background
