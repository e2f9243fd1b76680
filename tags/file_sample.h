#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlinote {

// The first and the last bytes of a file, read in one open with one read each, so that the
// three kinds of tag can all be looked for without opening the file again. Whatever a
// reader needs beyond them comes from the same open file.
class FileSample {
 public:
  // The first chunk the Ogg reader takes: an Ogg file's first page must lie in it, and the
  // Vorbis headers of files with a few comments do too.
  static constexpr std::size_t kHeadSize = 4096;
  // Enough for an ID3v1 trailer and the APE tags that most files carry.
  static constexpr std::size_t kTailSize = 4096;

  enum class OpenResult { kRead, kCannotOpen, kCannotRead };

  FileSample() = default;
  ~FileSample();
  FileSample(const FileSample&) = delete;
  FileSample& operator=(const FileSample&) = delete;

  OpenResult Open(const std::string& path);
  // The file `name` of the open folder `folderFd`: no walk along the folder's path again.
  OpenResult Open(int folderFd, const char* name);

  // The file's size when it was opened.
  std::int64_t Size() const { return size_; }
  // The first min(size, kHeadSize) bytes and the last min(size, kTailSize) bytes.
  std::string_view Head() const { return {buffer_, headLength_}; }
  std::string_view Tail() const { return {buffer_ + tailStart_, tailLength_}; }

  // `count` bytes at `offset`: a view of the bytes already read, or of `spill` after reading
  // them from the file. Nothing when the file does not hold them all.
  std::optional<std::string_view> Bytes(std::int64_t offset, std::size_t count, std::string& spill);

  // Reads on from where the last call ended (the start at first), as fread does on the
  // open file: up to `count` bytes, fewer only at the end of the file or on an error.
  std::size_t ReadNext(void* buffer, std::size_t count);

 private:
  OpenResult Read();
  // The bytes at [offset, offset + count) when the buffer holds them, else null.
  const char* Buffered(std::int64_t offset, std::size_t count) const;

  int fd_ = -1;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  // The whole file when it is no larger than the buffer; else the head, then the tail.
  bool whole_ = false;
  std::size_t headLength_ = 0;
  std::size_t tailStart_ = 0;
  std::size_t tailLength_ = 0;
  char buffer_[kHeadSize + kTailSize];
};

}  // namespace marlinote
