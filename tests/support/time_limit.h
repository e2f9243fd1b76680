#pragma once

#include <functional>

namespace marlinote::test {

// Runs `body` in a forked child that SIGALRM ends after `seconds`, and returns the body's
// result, or -1 when the child did not end normally: work that would hang (an open of a
// FIFO, a read of a device) fails the test instead of stopping the run.
int RunWithTimeLimit(unsigned seconds, const std::function<int()>& body);

}  // namespace marlinote::test
