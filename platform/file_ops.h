#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace marlinote {

// The size of an open stream, or -1.
std::int64_t StreamSize(std::FILE* file);

// Cuts an open stream to the given size (flushes it first).
bool TruncateStream(std::FILE* file, std::int64_t size);

// Renames without replacing an existing file of the new name.
bool RenameNoReplace(const std::string& from, const std::string& to);

bool RemoveFile(const std::string& path);

}  // namespace marlinote
