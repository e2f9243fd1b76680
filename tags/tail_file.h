#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_handle.h"

namespace marlinote {

// What became of a replacement of a file's last bytes.
enum class TailWrite {
  // The file ends with the new bytes. Where the last step (cutting the file to its new size)
  // could not be done, bytes of the replacement stay in front of them.
  kReplaced,
  // Nothing changed: the file is as it was.
  kKept,
  // A write failed and the file could not be put back: it may end with neither.
  kLost,
};

// A regular file whose last bytes (the tag at its end) are read, and replaced so that a
// process killed at any moment leaves the file ending with either the old last bytes or the
// new ones, and never touches the bytes in front of them (the audio).
class TailFile {
 public:
  enum class Access { kRead, kReadWrite };

  // Opens a regular file; false (errno set) when it cannot be, or names something else. For
  // writing, symbolic links are followed only where the user or root owns them, as for every
  // file the program writes.
  bool Open(const std::string& path, Access access);
  // The file's size: when opened, then after each replacement.
  std::int64_t Size() const { return size_; }
  // Exactly `count` bytes from `offset` into `out`.
  bool ReadAt(std::int64_t offset, std::size_t count, std::string& out) const;

  // Replaces everything from `start` to the end of the file with `bytes`, without copying
  // what lies in front. New bytes as long as the old: one write over them. Otherwise three
  // writes, each leaving a file that ends with a whole tail, old or new: (a) behind the end,
  // the new bytes beyond the old tail's length and then all the new bytes, so that the file
  // ends with the new tail; (b) the first new bytes over the old tail; (c) the file cut right
  // after the first copy. When (a) fails (a full disk) the file is cut back to its old size.
  // Nothing is flushed between the steps (see fuzz/README.md on power cuts).
  TailWrite Replace(std::int64_t start, std::string_view bytes);
  // Writes `bytes` over as many bytes at `offset`, inside the file, in one write (a tag at
  // the file's start whose padding takes up the change). A write that fails halfway puts
  // back the old bytes it changed.
  TailWrite WriteOver(std::int64_t offset, std::string_view bytes);

 private:
  // Writes all the bytes at `offset`; `written` counts what reached the file.
  bool WriteAt(std::int64_t offset, std::string_view bytes, std::size_t& written);

  FdHandle fd_;
  std::int64_t size_ = -1;
};

}  // namespace marlinote
