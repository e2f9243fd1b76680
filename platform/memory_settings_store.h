#pragma once

#include "platform/settings_store.h"

namespace marlinote {

// Key paths that the file layout can hold: no empty component, no control character.
bool IsValidKeyPath(std::string_view key);
// Value names without control characters.
bool IsValidValueName(std::string_view name);

// A settings store held in memory only.
class MemorySettingsStore : public SettingsStore {
 public:
  MemorySettingsStore() = default;
  explicit MemorySettingsStore(RegKeys keys) : keys_(std::move(keys)) {}

  bool KeyExists(std::string_view key) const override;
  bool CreateKey(std::string_view key) override;
  const RegValue* FindValue(std::string_view key, std::string_view name) const override;
  bool SetValue(std::string_view key, std::string_view name, const RegValue& value) override;
  bool Flush() override { return true; }

  const RegKeys& keys() const { return keys_; }

 protected:
  RegKeys keys_;
};

}  // namespace marlinote
