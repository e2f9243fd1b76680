#include "unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlinote::test {

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

// Forks a child that gives up root and then ends with `body`'s status: its pid, or -1.
pid_t StartChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 || setuid(kNobody) != 0))
      _exit(255);
    // _exit: the child must not run the parent's exit handlers or test teardown.
    _exit(body() & 0xFF);
  }
  return child;
}

// The exit status of a child that StartChild made, or -1.
int WaitForChild(pid_t child) {
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

int RunUnprivileged(const std::function<int()>& body) { return WaitForChild(StartChild(body)); }

std::optional<std::string> RunUnprivilegedForText(const std::function<std::string()>& body) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return std::nullopt;
  const pid_t child = StartChild([&] {
    close(pipeFds[0]);
    const std::string out = body();
    return write(pipeFds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 0 : 1;
  });
  close(pipeFds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    out.append(buffer, static_cast<std::size_t>(got));
  close(pipeFds[0]);
  if (WaitForChild(child) != 0) return std::nullopt;
  return out;
}

}  // namespace marlinote::test
