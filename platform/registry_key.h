#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace marlinote {

// One open key of a settings store at a time, read and written the way the registry reads
// and writes: a missing or mistyped integer fails, a missing text reads as empty, a text
// value of another type fails, and opening a key that does not exist leaves no key open,
// so that every read and write after it fails.
class RegistryKey {
 public:
  explicit RegistryKey(SettingsStore& store) : store_(store) {}

  // `path` is absolute below HKEY_CURRENT_USER; a leading "\" is allowed. With `canCreate`
  // a missing key is created together with its parents.
  bool OpenKey(std::string_view path, bool canCreate);
  void CloseKey() { key_.reset(); }

  // A REG_DWORD, taken as signed.
  bool ReadInteger(std::string_view name, std::int32_t& value) const;
  // An integer read; non-zero is true.
  bool ReadBool(std::string_view name, bool& value) const;
  // A REG_SZ or REG_EXPAND_SZ (not expanded); empty when the value is missing.
  bool ReadString(std::string_view name, std::string& value) const;

  bool WriteInteger(std::string_view name, std::int32_t value);
  // The integer 0 or 1.
  bool WriteBool(std::string_view name, bool value);
  // A REG_SZ.
  bool WriteString(std::string_view name, std::string_view value);

 private:
  bool Write(std::string_view name, const RegValue& value);

  SettingsStore& store_;
  std::optional<std::string> key_;
};

}  // namespace marlinote
