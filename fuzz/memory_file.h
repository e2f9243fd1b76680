#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace marlinote::fuzz {

// A file in memory with a path that every reader can open ("/proc/self/fd/N"), so that the
// readers run over their real file code without touching a disk. One per fuzz target,
// refilled for every input.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("marlinote-fuzz", 0)) {
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  void Assign(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<std::size_t>(n);
    }
  }

  std::string Bytes() const {
    std::string bytes;
    char buffer[4096];
    off_t at = 0;
    for (ssize_t n; (n = pread(fd_, buffer, sizeof buffer, at)) > 0; at += n)
      bytes.append(buffer, static_cast<std::size_t>(n));
    return bytes;
  }

  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

// Stops the run with a crash report when a property of the code does not hold.
inline void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace marlinote::fuzz
