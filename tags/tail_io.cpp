#include "tail_io.h"

#include <sys/types.h>

#include "platform/file_handle.h"
#include "platform/file_ops.h"

namespace marlinote {

bool ReadBytesAt(std::FILE* file, std::int64_t offset, std::size_t count, std::string& out) {
  if (offset < 0 || fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  out.resize(count);
  return std::fread(out.data(), 1, count, file) == count;
}

bool CutFileTo(const std::string& path, std::int64_t size) {
  FileHandle file = OpenFile(path, "r+b");
  return file && TruncateStream(file.get(), size);
}

Room RoomAtEnd(const std::string& path, std::size_t bytes) {
  FileHandle file = OpenFile(path, "r+b");
  if (!file) return Room::kNoAccess;
  const std::int64_t size = StreamSize(file.get());
  file.reset();
  if (size < 0 || !AppendToFile(path, std::string(bytes, '\0'))) return Room::kNone;
  return CutFileTo(path, size) ? Room::kEnough : Room::kNone;
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  FileHandle file = OpenFile(path, "r+b");
  if (!file) return false;
  const std::int64_t start = StreamSize(file.get());
  if (start < 0 || fseeko(file.get(), 0, SEEK_END) != 0) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                 std::fflush(file.get()) == 0;
  // The stream is closed before cutting back: a stream whose flush failed may still hold
  // the unwritten bytes and would try to write them again.
  if (std::fclose(file.release()) != 0) written = false;
  if (!written) CutFileTo(path, start);
  return written;
}

}  // namespace marlinote
