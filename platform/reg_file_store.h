#pragma once

#include <cstddef>
#include <string>

#include "platform/memory_settings_store.h"

namespace marlinote {

// The settings store kept in one file in the registry export layout (platform/reg_text.h).
// The file is read when the store is made; a file that cannot be read or parsed, or is
// larger than kMaxFileSize, reads as an empty store and is replaced at the next Flush.
class RegFileStore : public MemorySettingsStore {
 public:
  static constexpr std::size_t kMaxFileSize = 1 << 20;

  explicit RegFileStore(std::string path);

  // Writes the whole store atomically, creating the file's folder when it is missing.
  bool Flush() override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "$XDG_CONFIG_HOME/Velmora/Marlinote.reg", or under "$HOME/.config" when the variable is
// unset, empty or not an absolute path.
std::string DefaultSettingsPath();

}  // namespace marlinote
