#include "tail_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/owned_links.h"

namespace marlinote {

namespace {

// Never waits on a FIFO, never takes a terminal.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool TailFile::Open(const std::string& path, Access access) {
  std::string followed;
  bool heldOpen = false;
  if (access == Access::kReadWrite) {
    const FollowedPath target = FollowOwnedLinks(path);
    if (target.result == FollowedPath::Result::kRefused || target.result == FollowedPath::Result::kFailed) {
      errno = target.result == FollowedPath::Result::kFailed ? target.error : EPERM;
      return false;
    }
    followed = target.path;
    // A file that a process holds open (/dev/fd/N) is written where it is, as any other.
    heldOpen = target.result == FollowedPath::Result::kOpenFile;
  }
  fd_ = FdHandle(open(path.c_str(), (access == Access::kRead ? O_RDONLY : O_RDWR) | kOpenFlags));
  struct stat st {};
  if (!fd_ || fstat(fd_.get(), &st) != 0) return false;
  // What was opened must be the file the links led to: either may have changed meanwhile.
  const auto isFollowed = [&] {
    struct stat named {};
    const int found = heldOpen ? stat(followed.c_str(), &named) : lstat(followed.c_str(), &named);
    return found == 0 && SameFile(named, st);
  };
  if (!S_ISREG(st.st_mode) || (access == Access::kReadWrite && !isFollowed())) {
    fd_ = FdHandle();
    errno = EINVAL;
    return false;
  }
  size_ = st.st_size;
  return true;
}

bool TailFile::ReadAt(std::int64_t offset, std::size_t count, std::string& out) const {
  if (offset < 0) return false;
  out.resize(count);
  for (std::size_t done = 0; done < count;) {
    const ssize_t n = pread(fd_.get(), out.data() + done, count - done, static_cast<off_t>(offset) + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool TailFile::WriteAt(std::int64_t offset, std::string_view bytes, std::size_t& written) {
  written = 0;
  while (written < bytes.size()) {
    const ssize_t n = pwrite(fd_.get(), bytes.data() + written, bytes.size() - written,
                             static_cast<off_t>(offset) + written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

TailWrite TailFile::WriteOver(std::int64_t offset, std::string_view bytes) {
  if (offset < 0 || offset + static_cast<std::int64_t>(bytes.size()) > size_) return TailWrite::kKept;
  // Read first: a write that fails halfway (a disk error) puts back the old bytes it changed.
  std::string old;
  if (!ReadAt(offset, bytes.size(), old)) return TailWrite::kKept;
  std::size_t written = 0;
  if (WriteAt(offset, bytes, written)) return TailWrite::kReplaced;
  std::size_t restored = 0;
  return WriteAt(offset, std::string_view(old).substr(0, written), restored) ? TailWrite::kKept
                                                                             : TailWrite::kLost;
}

TailWrite TailFile::Replace(std::int64_t start, std::string_view bytes) {
  if (start < 0 || start > size_) return TailWrite::kKept;
  const auto oldLength = static_cast<std::size_t>(size_ - start);
  std::size_t written = 0;

  if (bytes.size() == oldLength) return WriteOver(start, bytes);

  const std::size_t common = std::min(oldLength, bytes.size());
  // Where there is no old tail (an append) or no new one (a cut), nothing has to move and
  // one step does it.
  std::string behind(bytes);
  if (common != 0) behind.insert(0, bytes.substr(common));
  // (a) The file now ends with the new bytes.
  if (!WriteAt(size_, behind, written)) {
    if (written == 0) return TailWrite::kKept;
    return ftruncate(fd_.get(), static_cast<off_t>(size_)) == 0 ? TailWrite::kKept : TailWrite::kLost;
  }
  const std::int64_t newSize = start + static_cast<std::int64_t>(bytes.size());
  // (b) The new bytes from `start` on, a copy of them still at the end. A write that failed
  // without changing the old tail is undone; one that changed part of it leaves the file
  // ending with the new bytes, which is then its tag.
  if (!WriteAt(start, bytes.substr(0, common), written)) {
    if (written != 0) return TailWrite::kReplaced;
    return ftruncate(fd_.get(), static_cast<off_t>(size_)) == 0 ? TailWrite::kKept : TailWrite::kReplaced;
  }
  // (c) Without the copy; where the cut fails, the copy ends the file.
  const std::int64_t grown = size_ + static_cast<std::int64_t>(behind.size());
  size_ = grown == newSize || ftruncate(fd_.get(), static_cast<off_t>(newSize)) == 0 ? newSize : grown;
  return TailWrite::kReplaced;
}

}  // namespace marlinote
