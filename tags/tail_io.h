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

// Opens the file for reading and writing and cuts it to the given size.
bool CutFileTo(const std::string& path, std::int64_t size);

}  // namespace marlinote
