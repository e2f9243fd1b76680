#include "shell.h"

#include <sys/wait.h>

#include <cstdio>

namespace marlinote::test {

Shell RunShell(const std::string& command) {
  Shell result;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.out.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool HasMutagen() {
  static const bool found =
      RunShell(std::string(kPython) + " -c 'import mutagen' 2>/dev/null").status == 0;
  return found;
}

}  // namespace marlinote::test
