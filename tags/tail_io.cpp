#include "tail_io.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_ops.h"

namespace marlinote {

namespace {

// Opens the file for reading and writing and cuts it to the given size.
bool CutFileTo(const std::string& path, std::int64_t size) {
  FileHandle file = OpenFile(path, "r+b");
  return file && TruncateStream(file.get(), size);
}

}  // namespace

bool ReadBytesAt(std::FILE* file, std::int64_t offset, std::size_t count, std::string& out) {
  if (offset < 0 || fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  out.resize(count);
  return std::fread(out.data(), 1, count, file) == count;
}

Room RoomAtEnd(const std::string& path, std::size_t bytes) {
  // One open file for the size, the trial write and the cut: nothing can come between them.
  // Its stdio buffer is never used, so closing it writes nothing again.
  FileHandle file = OpenFile(path, "r+b");
  if (!file) return Room::kNoAccess;
  const int fd = fileno(file.get());
  struct stat st {};
  if (fstat(fd, &st) != 0) return Room::kNone;
  static const char kZeros[64 * 1024] = {};
  bool enough = true;
  for (std::size_t done = 0; enough && done < bytes;) {
    const std::size_t chunk = std::min(bytes - done, sizeof kZeros);
    const ssize_t n = pwrite(fd, kZeros, chunk, st.st_size + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    enough = n > 0;
    if (enough) done += static_cast<std::size_t>(n);
  }
  if (ftruncate(fd, st.st_size) != 0) enough = false;
  if (std::fclose(file.release()) != 0) enough = false;
  return enough ? Room::kEnough : Room::kNone;
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
