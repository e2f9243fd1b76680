#include "file_bytes.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace marlinote::test {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string AudioBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 12345u;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    // 0x80..0xFF only: no ASCII signature ("TAG", "APETAGEX", "OggS") can appear by chance.
    c = static_cast<char>(0x80 | ((state >> 16) & 0x7F));
  }
  return bytes;
}

}  // namespace marlinote::test
