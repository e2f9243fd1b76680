#include "unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlinote::test {

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

}  // namespace

int RunUnprivileged(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 || setuid(kNobody) != 0))
      _exit(255);
    // _exit: the child must not run the parent's exit handlers or test teardown.
    _exit(body() & 0xFF);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace marlinote::test
