#include "memory_stream.h"

#include <algorithm>
#include <cstring>

namespace marlinote::test {

std::size_t ReadMemory(void* buffer, std::size_t size, std::size_t count, void* handle) {
  auto* in = static_cast<MemoryInput*>(handle);
  const std::size_t n = std::min(size * count, in->bytes.size() - in->position);
  if (n > 0) std::memcpy(buffer, in->bytes.data() + in->position, n);
  in->position += n;
  return n / size;
}

std::size_t WriteMemory(const void* buffer, std::size_t size, std::size_t count, void* handle) {
  auto* out = static_cast<MemoryOutput*>(handle);
  const std::size_t room = out->limit - std::min(out->limit, out->bytes.size());
  const std::size_t n = std::min(size * count, room);
  out->bytes.append(static_cast<const char*>(buffer), n);
  return n / size;
}

}  // namespace marlinote::test
