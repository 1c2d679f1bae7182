#pragma once
// Killing a piece of work at a chosen moment: a forked child does the work,
// and is killed with SIGKILL a given time after it has started.

#include <chrono>
#include <functional>

namespace tovrel::test {

// Forks a child that runs work, kills it `delay` after it has started and
// reaps it. work returns false when it failed; a child whose work succeeded
// waits to be killed. False when the child ended on its own, which only a
// failed piece of work makes it do.
bool killMidway(const std::function<bool()>& work, std::chrono::microseconds delay);

} // namespace tovrel::test
