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

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  // The file system refuses the flag: link fails on an existing name, so nothing is replaced.
  if (link(from.c_str(), to.c_str()) != 0) return false;
  if (unlink(from.c_str()) != 0) {
    unlink(to.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace marlinote
