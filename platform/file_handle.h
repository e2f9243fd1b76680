#pragma once

#include <dirent.h>

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

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

// A folder being read, closed on every path out of the scope that opened it.
using DirHandle = std::unique_ptr<DIR, DirCloser>;

}  // namespace marlinote
