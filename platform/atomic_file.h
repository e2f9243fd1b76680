#pragma once

#include <string>
#include <string_view>

namespace marlinote {

enum class WriteResult {
  kOk,
  // The file could not be made: no temporary file in its folder, or the rename failed.
  kCannotCreate,
  // A write, the flush to disk or the close failed.
  kWriteFailed,
};

// Replaces the file with exactly these bytes, or leaves it as it was. The bytes go to a
// temporary file beside it, which is renamed over the old one once every write succeeded;
// on any failure the temporary file is removed.
WriteResult WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace marlinote
