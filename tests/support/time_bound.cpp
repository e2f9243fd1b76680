#include "time_bound.h"

#include <fcntl.h>
#include <unistd.h>

#include <future>

namespace marlinote::test {

bool FinishesWithin(std::chrono::milliseconds limit, const std::function<void()>& work,
                    const std::function<void()>& release) {
  std::future<void> done = std::async(std::launch::async, work);
  if (done.wait_for(limit) == std::future_status::ready) return true;
  release();
  done.wait();
  return false;
}

void ReleaseFifoReaders(const std::vector<std::string>& fifos) {
  for (const std::string& fifo : fifos) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
  }
}

}  // namespace marlinote::test
