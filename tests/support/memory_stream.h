#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace marlinote::test {

// Input and output in memory for the comment editor's fread- and fwrite-shaped callbacks.
struct MemoryInput {
  std::string_view bytes;  // not owned: the bytes must outlive the input
  std::size_t position = 0;
};

struct MemoryOutput {
  std::string bytes;
  std::size_t limit = std::numeric_limits<std::size_t>::max();  // then writes stop short
};

// `handle` is a MemoryInput.
std::size_t ReadMemory(void* buffer, std::size_t size, std::size_t count, void* handle);
// `handle` is a MemoryOutput: takes what fits under its limit.
std::size_t WriteMemory(const void* buffer, std::size_t size, std::size_t count, void* handle);

}  // namespace marlinote::test
