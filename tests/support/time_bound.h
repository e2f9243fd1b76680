#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace marlinote::test {

// Runs `work` on a thread of its own and waits up to `limit` for it. When it has not
// finished by then, `release` runs (to free what the work waits on) before the thread is
// joined, and the answer is false.
bool FinishesWithin(std::chrono::milliseconds limit, const std::function<void()>& work,
                    const std::function<void()>& release);

// Opens each FIFO for writing and closes it again, which ends a reader's wait in open.
void ReleaseFifoReaders(const std::vector<std::string>& fifos);

}  // namespace marlinote::test
