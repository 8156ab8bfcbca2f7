#pragma once
// The tests' side of the message loop. A thread that owns windows or lives in
// a single-threaded COM apartment must go on handling its messages while it
// waits: otherwise its windows stop answering, drops and posted commands never
// arrive, and COM calls into it stall.

#include <chrono>
#include <functional>

namespace quorvane::test {

// Handles every message now waiting for this thread, then returns.
void pump();

// Goes on handling this thread's messages for `duration`, sleeping on the
// queue while it is empty.
void pumpFor(std::chrono::milliseconds duration);

// Checks `condition`, pumping between checks, until it holds (true) or
// `timeout` has passed (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

} // namespace quorvane::test
