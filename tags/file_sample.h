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
//
// Only regular files are read. Every open is non-blocking and takes no controlling
// terminal, so that a FIFO or a device put where a file was expected never hangs the
// reader or acts on the device.
class FileSample {
 public:
  // The first chunk the Ogg reader takes: an Ogg file's first page must lie in it, and the
  // Vorbis headers of files with a few comments do too.
  static constexpr std::size_t kHeadSize = 4096;
  // Enough for an ID3v1 trailer and the APE tags that most files carry.
  static constexpr std::size_t kTailSize = 4096;

  enum class OpenResult { kRead, kCannotOpen, kCannotRead, kNotRegular };

  FileSample() = default;
  ~FileSample();
  FileSample(const FileSample&) = delete;
  FileSample& operator=(const FileSample&) = delete;

  // Looks at what the path names first: anything but a regular file is not opened at all.
  OpenResult Open(const std::string& path);

  // For reading many files in turn: opens the file `name` of the open folder `folderFd`
  // (which the caller has found to be a regular file or a link to one), takes the bytes
  // that the page cache holds and asks the kernel to read the others meanwhile. With
  // `expectCached`, the bytes are looked for first and the kernel asked only when some are
  // missing; without, it is asked first, in as few reads of the disk as can be. kRead means
  // opened: Finish gives the result of the read.
  OpenResult Start(int folderFd, const char* name, bool expectCached);
  // Whether Start found every byte it needed in the page cache.
  bool WasCached() const;
  // Reads what Start could not take without waiting for the disk.
  OpenResult Finish();

  // The system's error number of an open that failed.
  int OpenError() const { return openError_; }

  // Closes the file; the object can open another.
  void Close();

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
  // A stretch of the file that goes to the buffer, and how much of it is in.
  struct Range {
    std::int64_t offset = 0;
    std::size_t length = 0;
    std::size_t done = 0;
  };

  // After the open: checks what was opened and lays out the ranges to read.
  OpenResult Opened();
  // Reads what the page cache holds of the range; whether that was all of it.
  bool TakeCached(Range& range, char* to);
  void AskKernel();
  // The bytes at [offset, offset + count) when the buffer holds them, else null.
  const char* Buffered(std::int64_t offset, std::size_t count) const;

  int fd_ = -1;
  int openError_ = 0;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  // The whole file when it is no larger than the buffer (one range); else the head, then
  // the tail.
  bool whole_ = false;
  Range ranges_[2];
  std::size_t headLength_ = 0;
  std::size_t tailStart_ = 0;
  std::size_t tailLength_ = 0;
  char buffer_[kHeadSize + kTailSize];
};

}  // namespace marlinote
