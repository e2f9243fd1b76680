#pragma once

#include <cstddef>
#include <string>

#include "platform/memory_settings_store.h"

namespace marlinote {

// The settings store kept in one file in the registry export layout (platform/reg_text.h).
// The file is read when the store is made; a file that cannot be read or parsed, is larger
// than kMaxFileSize or is not a regular file, reads as an empty store.
class RegFileStore : public MemorySettingsStore {
 public:
  static constexpr std::size_t kMaxFileSize = 1 << 20;

  explicit RegFileStore(std::string path);

  // Replaces the file by the whole store (platform/replace_file.h), creating the file's
  // folder when it is missing. A file kept as the user's link stays a link; a link of
  // another user's, or a device or FIFO in the file's place, is left alone and the store
  // is not written.
  bool Flush() override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "$XDG_CONFIG_HOME/Velmora/Marlinote.reg", or under "$HOME/.config" when the variable is
// unset, empty or not an absolute path.
std::string DefaultSettingsPath();

}  // namespace marlinote
