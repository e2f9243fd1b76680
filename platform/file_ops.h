#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file_handle.h"

namespace marlinote {

// Opens a file for reading only when it is a regular one, without waiting on or acting on
// anything else: what the path names is looked at before the open, so a device is never
// opened, and the open itself is non-blocking, so a FIFO swapped in meanwhile is closed again
// unread. Null for anything but a regular file, or when it cannot be opened.
FileHandle OpenRegularFile(const std::string& path);

// The size of an open stream, or -1.
std::int64_t StreamSize(std::FILE* file);

// Cuts an open stream to the given size (flushes it first).
bool TruncateStream(std::FILE* file, std::int64_t size);

}  // namespace marlinote
