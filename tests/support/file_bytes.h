#pragma once

#include <string>

namespace marlinote::test {

// The whole file as bytes; throws when it cannot be read.
std::string ReadBytes(const std::string& path);

// Creates or replaces the file with exactly these bytes; throws on failure.
void WriteBytes(const std::string& path, const std::string& bytes);

// Bytes that look like audio data: deterministic, never a tag signature.
std::string AudioBytes(std::size_t size, unsigned seed = 1);

}  // namespace marlinote::test
