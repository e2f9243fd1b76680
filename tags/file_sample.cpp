#include "file_sample.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marlinote {

namespace {

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

FileSample::~FileSample() {
  if (fd_ >= 0) close(fd_);
}

FileSample::OpenResult FileSample::Open(const std::string& path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return Read();
}

FileSample::OpenResult FileSample::Open(int folderFd, const char* name) {
  fd_ = openat(folderFd, name, O_RDONLY | O_CLOEXEC);
  return Read();
}

FileSample::OpenResult FileSample::Read() {
  if (fd_ < 0) return OpenResult::kCannotOpen;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || st.st_size < 0) return OpenResult::kCannotRead;
  size_ = st.st_size;

  const auto size = static_cast<std::uint64_t>(size_);
  if (size <= sizeof buffer_) {
    whole_ = true;
    if (ReadFully(fd_, buffer_, static_cast<std::size_t>(size), 0) != static_cast<ssize_t>(size))
      return OpenResult::kCannotRead;
    headLength_ = static_cast<std::size_t>(size < kHeadSize ? size : kHeadSize);
    tailLength_ = static_cast<std::size_t>(size < kTailSize ? size : kTailSize);
    tailStart_ = static_cast<std::size_t>(size) - tailLength_;
    return OpenResult::kRead;
  }
  headLength_ = kHeadSize;
  tailStart_ = kHeadSize;
  tailLength_ = kTailSize;
  if (ReadFully(fd_, buffer_, kHeadSize, 0) != static_cast<ssize_t>(kHeadSize) ||
      ReadFully(fd_, buffer_ + kHeadSize, kTailSize, size_ - static_cast<std::int64_t>(kTailSize)) !=
          static_cast<ssize_t>(kTailSize))
    return OpenResult::kCannotRead;
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
