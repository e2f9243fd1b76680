#include "file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace marlinote {

FileHandle OpenRegularFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  FdHandle fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  FileHandle file(fdopen(fd.get(), "rb"));
  if (file) fd.Release();
  return file;
}

std::int64_t StreamSize(std::FILE* file) {
  struct stat st {};
  if (std::fflush(file) != 0 || fstat(fileno(file), &st) != 0) return -1;
  return st.st_size;
}

bool TruncateStream(std::FILE* file, std::int64_t size) {
  if (size < 0 || std::fflush(file) != 0) return false;
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

}  // namespace marlinote
