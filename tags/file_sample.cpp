#include "file_sample.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace marlinote {

namespace {

// Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// What the kernel is asked to read ahead. A file up to this size is read whole: one read of
// the disk costs about as much as a part of it, and two cost nearly twice as much.
constexpr off_t kWholeUpTo = 64 * 1024;
// Of a larger file, the head and the tail. The head is more than the sample holds, since
// Ogg headers with a few comments reach past it.
constexpr off_t kAheadHead = 16 * 1024;

// Reads until `count` bytes are in or the file ends; the number read, or -1 on an error.
ssize_t ReadFully(int fd, char* buffer, std::size_t count, std::int64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = pread(fd, buffer + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

FileSample::~FileSample() { Close(); }

void FileSample::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  openError_ = 0;
  size_ = 0;
  position_ = 0;
  whole_ = false;
  ranges_[0] = ranges_[1] = Range{};
  headLength_ = tailStart_ = tailLength_ = 0;
}

FileSample::OpenResult FileSample::Open(const std::string& path) {
  Close();
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    openError_ = errno;
    return OpenResult::kCannotOpen;
  }
  if (!S_ISREG(st.st_mode)) return OpenResult::kNotRegular;
  fd_ = open(path.c_str(), kOpenFlags);
  if (fd_ < 0) {
    openError_ = errno;
    return OpenResult::kCannotOpen;
  }
  const OpenResult opened = Opened();
  return opened == OpenResult::kRead ? Finish() : opened;
}

FileSample::OpenResult FileSample::Start(int folderFd, const char* name, bool expectCached) {
  Close();
  fd_ = openat(folderFd, name, kOpenFlags);
  if (fd_ < 0) {
    openError_ = errno;
    return OpenResult::kCannotOpen;
  }
  const OpenResult opened = Opened();
  if (opened != OpenResult::kRead) return opened;
  if (!expectCached) AskKernel();
  // The tail is looked for only where the head was found: a file is seldom cached in part.
  if (TakeCached(ranges_[0], buffer_)) TakeCached(ranges_[1], buffer_ + kHeadSize);
  if (expectCached && !WasCached()) AskKernel();
  return OpenResult::kRead;
}

bool FileSample::WasCached() const {
  return ranges_[0].done == ranges_[0].length && ranges_[1].done == ranges_[1].length;
}

FileSample::OpenResult FileSample::Opened() {
  // What was opened counts, not what the folder said: it may have been swapped since.
  struct stat st {};
  if (fstat(fd_, &st) != 0) return OpenResult::kCannotRead;
  if (!S_ISREG(st.st_mode)) return OpenResult::kNotRegular;
  size_ = st.st_size;

  const auto size = static_cast<std::uint64_t>(size_);
  if (size <= sizeof buffer_) {
    whole_ = true;
    ranges_[0].length = static_cast<std::size_t>(size);
    headLength_ = static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadSize));
    tailLength_ = static_cast<std::size_t>(std::min<std::uint64_t>(size, kTailSize));
    tailStart_ = static_cast<std::size_t>(size) - tailLength_;
    return OpenResult::kRead;
  }
  ranges_[0].length = kHeadSize;
  ranges_[1] = {size_ - static_cast<std::int64_t>(kTailSize), kTailSize, 0};
  headLength_ = kHeadSize;
  tailStart_ = kHeadSize;
  tailLength_ = kTailSize;
  return OpenResult::kRead;
}

bool FileSample::TakeCached(Range& range, char* to) {
  while (range.done < range.length) {
    iovec part{to + range.done, range.length - range.done};
    // Never waits for the disk: fails, or reads less, where the page cache lacks a page.
    const ssize_t n = preadv2(fd_, &part, 1, range.offset + static_cast<off_t>(range.done), RWF_NOWAIT);
    if (n > 0) {
      range.done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

void FileSample::AskKernel() {
  if (size_ <= kWholeUpTo) {
    posix_fadvise(fd_, 0, size_, POSIX_FADV_WILLNEED);
    return;
  }
  posix_fadvise(fd_, 0, kAheadHead, POSIX_FADV_WILLNEED);
  posix_fadvise(fd_, size_ - static_cast<off_t>(kTailSize), kTailSize, POSIX_FADV_WILLNEED);
}

FileSample::OpenResult FileSample::Finish() {
  char* const to[] = {buffer_, buffer_ + kHeadSize};
  for (int i = 0; i < 2; ++i) {
    Range& range = ranges_[i];
    const std::size_t rest = range.length - range.done;
    if (rest > 0 && ReadFully(fd_, to[i] + range.done, rest, range.offset + static_cast<std::int64_t>(range.done)) !=
                        static_cast<ssize_t>(rest))
      return OpenResult::kCannotRead;
    range.done = range.length;
  }
  return OpenResult::kRead;
}

const char* FileSample::Buffered(std::int64_t offset, std::size_t count) const {
  if (offset < 0 || offset > size_ || count > static_cast<std::uint64_t>(size_ - offset))
    return nullptr;
  const auto begin = static_cast<std::uint64_t>(offset);
  const std::uint64_t end = begin + count;
  if (whole_) return buffer_ + begin;
  if (end <= headLength_) return buffer_ + begin;
  const std::uint64_t tailBegin = static_cast<std::uint64_t>(size_) - tailLength_;
  if (begin >= tailBegin) return buffer_ + tailStart_ + (begin - tailBegin);
  return nullptr;
}

std::optional<std::string_view> FileSample::Bytes(std::int64_t offset, std::size_t count,
                                                   std::string& spill) {
  if (const char* bytes = Buffered(offset, count)) return std::string_view(bytes, count);
  if (offset < 0) return std::nullopt;
  spill.resize(count);
  if (ReadFully(fd_, spill.data(), count, offset) != static_cast<ssize_t>(count)) return std::nullopt;
  return std::string_view(spill);
}

std::size_t FileSample::ReadNext(void* buffer, std::size_t count) {
  const std::int64_t left = size_ - position_;
  std::size_t n = count;
  if (left >= 0 && static_cast<std::uint64_t>(left) < n) n = static_cast<std::size_t>(left);
  // The size found at the open is the end: a file that grows meanwhile is read as it was.
  if (const char* bytes = Buffered(position_, n)) {
    std::memcpy(buffer, bytes, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
  }
  const ssize_t got = ReadFully(fd_, static_cast<char*>(buffer), n, position_);
  if (got <= 0) return 0;
  position_ += got;
  return static_cast<std::size_t>(got);
}

}  // namespace marlinote
