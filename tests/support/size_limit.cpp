#include "size_limit.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlinote::test {

int RunWithFileSizeLimit(std::int64_t limit, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(255);
    // _exit: the child must not run the parent's exit handlers or test teardown.
    _exit(body() & 0xFF);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace marlinote::test
