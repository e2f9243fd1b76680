#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace marlinote {

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

// A stdio stream that is closed on every path out of the scope that opened it.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle OpenFile(const std::string& path, const char* mode) {
  return FileHandle(std::fopen(path.c_str(), mode));
}

// A file descriptor, closed on every path out of the scope that opened it.
class FdHandle {
 public:
  explicit FdHandle(int fd = -1) noexcept : fd_(fd) {}
  ~FdHandle() { Close(); }
  FdHandle(FdHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FdHandle& operator=(FdHandle&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int get() const noexcept { return fd_; }
  explicit operator bool() const noexcept { return fd_ >= 0; }
  // Gives the descriptor up to a new owner (a stdio stream).
  int Release() noexcept { return std::exchange(fd_, -1); }
  // Closes now, for a writer that must know whether the close succeeded.
  bool Close() noexcept { return fd_ < 0 || close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

// A folder being read, closed on every path out of the scope that opened it.
using DirHandle = std::unique_ptr<DIR, DirCloser>;

}  // namespace marlinote
