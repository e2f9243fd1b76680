#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace marlinote {

// Reads exactly `count` bytes at `offset` of an open stream into `out`.
bool ReadBytesAt(std::FILE* file, std::int64_t offset, std::size_t count, std::string& out);

// Appends the bytes at the end of the file. When any part of the write fails (short write,
// flush or close), the file is cut back to its former size, so no half tag stays behind.
bool AppendToFile(const std::string& path, std::string_view bytes);

enum class Room {
  kEnough,
  // The file cannot be opened for writing.
  kNoAccess,
  // The file cannot grow by that many bytes: a full disk, a file size limit.
  kNone,
};

// Whether the file can grow by `bytes`, found by writing them at its end and cutting them
// off again: the file is as it was whatever the answer. A tag cut off the end to make way
// for one that fits this room can then always be written.
Room RoomAtEnd(const std::string& path, std::size_t bytes);

}  // namespace marlinote
