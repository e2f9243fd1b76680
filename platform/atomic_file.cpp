#include "atomic_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace marlinote {

namespace {

// A hidden name beside the target, so that a scan of the folder does not list it.
std::string TemporaryName(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::uint64_t random = 0;
  if (getrandom(&random, sizeof random, 0) != sizeof random)
    random = static_cast<std::uint64_t>(getpid()) << 32 ^ static_cast<std::uint64_t>(time(nullptr));
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(random));
  return path.substr(0, nameStart) + "." + path.substr(nameStart) + suffix;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty() || path.back() == '/') return WriteResult::kCannotCreate;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = TemporaryName(path);
    // 0666 so that the umask decides the mode, as for any file the user creates.
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return WriteResult::kCannotCreate;
  }
  if (fd < 0) return WriteResult::kCannotCreate;

  const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed) {
    unlink(temporary.c_str());
    return WriteResult::kWriteFailed;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return WriteResult::kCannotCreate;
  }
  return WriteResult::kOk;
}

}  // namespace marlinote
