#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace marlinote {

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

// A stdio stream that is closed on every path out of the scope that opened it.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle OpenFile(const std::string& path, const char* mode) {
  return FileHandle(std::fopen(path.c_str(), mode));
}

}  // namespace marlinote
