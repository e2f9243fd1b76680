#include "time_limit.h"

#include <sys/wait.h>
#include <unistd.h>

namespace marlinote::test {

int RunWithTimeLimit(unsigned seconds, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    alarm(seconds);
    // _exit: the child must not run the parent's exit handlers or test teardown.
    _exit(body() & 0xFF);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace marlinote::test
