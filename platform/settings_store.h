#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace marlinote {

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct RegValue {
  std::uint32_t type = kRegSz;
  std::uint32_t number = 0;  // kRegDword
  std::string data;          // kRegSz, kRegExpandSz: UTF-8 text; any other type: its bytes

  static RegValue Dword(std::uint32_t value) { return {kRegDword, value, {}}; }
  static RegValue Text(std::string text, std::uint32_t type = kRegSz) {
    return {type, 0, std::move(text)};
  }
  bool operator==(const RegValue&) const = default;
};

// Key paths and value names are compared ignoring the case of A to Z, as the registry
// does. In key paths "\" sorts before every other character, so that a key's sub-keys
// follow it directly.
struct RegNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

using RegValues = std::map<std::string, RegValue, RegNameLess>;
// Key paths below HKEY_CURRENT_USER, such as "Software\Velmora\Marlinote", without a
// leading "\". A key's parents exist implicitly.
using RegKeys = std::map<std::string, RegValues, RegNameLess>;

// The per-user settings store: keys holding named, typed values.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool KeyExists(std::string_view key) const = 0;
  // Creates the key (its parents exist with it); true when it exists afterwards.
  virtual bool CreateKey(std::string_view key) = 0;
  // Null when the key or the value does not exist.
  virtual const RegValue* FindValue(std::string_view key, std::string_view name) const = 0;
  // Fails when the key does not exist.
  virtual bool SetValue(std::string_view key, std::string_view name, const RegValue& value) = 0;
  // Makes every change so far lasting.
  virtual bool Flush() = 0;
};

}  // namespace marlinote
